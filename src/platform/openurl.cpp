#include "platform/openurl.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include "util/codepage.h"

namespace zoqa {

void OpenUrl(const std::string& url) {
  if (url.empty()) return;
  const QString opener = QStandardPaths::findExecutable("xdg-open");
  if (opener.isEmpty()) return;
  QProcess::startDetached(opener, {QString::fromStdString(Cp936ToUtf8(url))});
}

}  // namespace zoqa
