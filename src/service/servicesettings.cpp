#include "service/servicesettings.h"

#include <QSettings>
#include <QString>

#include <mutex>

namespace zoqa {
namespace {

std::mutex g_mutex;
std::shared_ptr<const TServiceSettings> g_settings = std::make_shared<TServiceSettings>();

void ReadText(QSettings& ini, const char* key, std::string& value) {
  QString text = ini.value(key).toString().trimmed();
  if (!text.isEmpty()) value = text.toStdString();
}

}  // namespace

TServiceSettings LoadServiceSettings(const std::string& path) {
  TServiceSettings s;
  QSettings ini(QString::fromStdString(path), QSettings::IniFormat);
  ini.beginGroup("service");
  ReadText(ini, "ConfigHost", s.ConfigHost);
  ReadText(ini, "ServiceHost", s.ServiceHost);
  ReadText(ini, "VersionHost", s.VersionHost);
  ReadText(ini, "MessengerHost", s.MessengerHost);
  ReadText(ini, "AdminContact", s.AdminContact);
  ini.endGroup();
  if (s.ServiceHost.empty()) s.ServiceHost = s.ConfigHost;
  if (s.VersionHost.empty()) s.VersionHost = s.ConfigHost;
  return s;
}

std::shared_ptr<const TServiceSettings> ServiceSettings() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_settings;
}

void SetServiceSettings(const TServiceSettings& settings) {
  auto next = std::make_shared<const TServiceSettings>(settings);
  std::lock_guard<std::mutex> lock(g_mutex);
  g_settings = std::move(next);
}

}  // namespace zoqa
