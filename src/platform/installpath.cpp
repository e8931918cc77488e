#include "platform/installpath.h"

#include <QSettings>
#include <QString>

namespace zoqa {
namespace {

constexpr char kOrganisation[] = "vemaraki";
constexpr char kApplication[] = "zoqa";
constexpr char kInstall[] = "install";

}  // namespace

void SaveInstallPath(const std::string& exePath) {
  try {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    QString path = QString::fromStdString(exePath);
    if (settings.value(kInstall).toString() != path) {
      settings.setValue(kInstall, path);
      settings.sync();
    }
  } catch (...) {
  }
}

std::string InstallPath() {
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
  return settings.value(kInstall).toString().toStdString();
}

}  // namespace zoqa
