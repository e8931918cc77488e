#include "service/servicesettings.h"

#include <QSettings>
#include <QString>

#include <mutex>

#include "util/textutil.h"

namespace zoqa {
namespace {

std::mutex g_mutex;
std::shared_ptr<const TServiceSettings> g_settings = std::make_shared<TServiceSettings>();

void ReadText(QSettings& ini, const char* key, std::string& value) {
  QString text = ini.value(key).toString().trimmed();
  if (!text.isEmpty()) value = text.toStdString();
}

}  // namespace

bool TServiceSettings::AllowsUrl(std::string_view url) const {
  std::string lower = AsciiLower(url.substr(0, 8));
  if (lower.rfind("https://", 0) == 0) return true;
  return !RequireHttps && lower.rfind("http://", 0) == 0;
}

TServiceSettings LoadServiceSettings(const std::string& path) {
  TServiceSettings s;
  QSettings ini(QString::fromStdString(path), QSettings::IniFormat);
  ini.beginGroup("service");
  ReadText(ini, "ConfigHost", s.ConfigHost);
  ReadText(ini, "ServiceHost", s.ServiceHost);
  ReadText(ini, "VersionHost", s.VersionHost);
  ReadText(ini, "MessengerHost", s.MessengerHost);
  ReadText(ini, "AdminContact", s.AdminContact);
  s.RequireHttps = ini.value("RequireHttps").toInt() != 0;
  ini.endGroup();
  if (s.ServiceHost.empty()) s.ServiceHost = s.ConfigHost;
  if (s.VersionHost.empty()) s.VersionHost = s.ConfigHost;
  return s;
}

void LimitServiceProtocols(CURL* curl) {
  const char* protocols = ServiceSettings()->Protocols();
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, protocols);
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, protocols);
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
