#include "platform/startprogram.h"

#include <QFileInfo>
#include <QProcess>
#include <QStringList>

namespace zoqa {

bool StartProgram(const std::string& path, const std::string& arguments) {
  if (path.empty()) return false;
  const QString program = QString::fromStdString(path);
  const QStringList args =
      QString::fromStdString(arguments).split(QLatin1Char(' '), Qt::SkipEmptyParts);
  return QProcess::startDetached(program, args, QFileInfo(program).absolutePath());
}

}  // namespace zoqa
