#include "store/storechoice.h"

#include <QSettings>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "platform/appdir.h"
#include "store/datamanager.h"
#include "store/pgstore.h"
#include "store/sqlitestore.h"
#include "store/storefile.h"

namespace zoqa {
namespace {

std::optional<std::string> g_override;

std::string SettingsUrl() {
  QSettings ini(QString::fromStdString(AppDir() + "zqclient.cfg"), QSettings::IniFormat);
  // A comma in the URL would make QSettings split the value into a list.
  return ini.value("store/Url").toStringList().join(",").trimmed().toStdString();
}

}  // namespace

void SetStoreUrlOverride(const std::string& url) {
  g_override = url;
}

std::string ChosenStoreUrl() {
  if (g_override) return *g_override;
  const char* env = std::getenv("ZOQA_STORE");
  if (env != nullptr && *env != '\0') return env;
  return SettingsUrl();
}

std::unique_ptr<TStoreBackend> OpenChosenStore() {
  std::string url = ChosenStoreUrl();
  if (!url.empty()) return std::make_unique<TPgStore>(TStoreUrl(url));
  return std::make_unique<TSQLiteStore>(TDataManager::DatabasePath("users"));
}

std::unique_ptr<TStoreBackend> OpenStoreAt(const std::string& where, bool create) {
  if (TStoreUrl::LooksLikeUrl(where)) return std::make_unique<TPgStore>(TStoreUrl(where));
  std::filesystem::path file = std::filesystem::path(where) / "Data" / "users";
  if (create) ProvisionStoreFile(file.string());
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    throw std::runtime_error("no local store at " + file.string());
  }
  return std::make_unique<TSQLiteStore>(file.string());
}

}  // namespace zoqa
