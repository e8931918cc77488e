#include "harvest/base/enginesettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QString>
#include <QStringList>

#include <mutex>

namespace zoqa {
namespace {

std::mutex g_mutex;
std::shared_ptr<const TEngineSettings> g_settings = std::make_shared<TEngineSettings>();

void ReadText(QSettings& ini, const char* key, std::string& value) {
  QString text = ini.value(key).toString().trimmed();
  if (!text.isEmpty()) value = text.toStdString();
}

void ReadList(QSettings& ini, const char* key, std::vector<std::string>& value) {
  // QSettings already splits a comma-separated value into a list.
  QStringList parts = ini.value(key).toStringList();
  if (parts.size() == 1) parts = parts.front().split(',');
  if (static_cast<std::size_t>(parts.size()) != value.size()) return;
  std::vector<std::string> read;
  for (const QString& p : parts) {
    if (p.trimmed().isEmpty()) return;
    read.push_back(p.trimmed().toLower().toStdString());
  }
  value = std::move(read);
}

// A browser identity: written in double quotes, as its ";" would start a comment otherwise;
// unquoted commas, as in "(KHTML, like Gecko)", split it into parts joined again here.
void ReadIdentity(QSettings& ini, const char* key, std::string& value) {
  QString text = ini.value(key).toStringList().join(", ").trimmed();
  if (!text.isEmpty()) value = text.toStdString();
}

// A list of any length whose entries may hold Chinese text; kept in code page 936.
void ReadMarkers(QSettings& ini, const char* key, std::vector<std::string>& value) {
  QStringList parts = ini.value(key).toStringList();
  if (parts.size() == 1) parts = parts.front().split(',');
  std::vector<std::string> read;
  for (const QString& p : parts) {
    if (!p.trimmed().isEmpty()) read.push_back(Utf8ToCp936(p.trimmed().toStdString()));
  }
  if (!read.empty()) value = std::move(read);
}

// "classic,page" or "classic"; anything else keeps the default.
void ReadReaders(QSettings& ini, const char* key, bool& pageReader) {
  QStringList parts = ini.value(key).toStringList();
  if (parts.size() == 1) parts = parts.front().split(',');
  for (QString& p : parts) p = p.trimmed().toLower();
  if (parts == QStringList{"classic"}) pageReader = false;
  if (parts == QStringList{"classic", "page"}) pageReader = true;
}

// Entries of any number, kept as written (a password may hold any character but a comma).
void ReadEntries(QSettings& ini, const char* key, std::vector<std::string>& value) {
  QStringList parts = ini.value(key).toStringList();
  if (parts.size() == 1) parts = parts.front().split(',');
  for (const QString& p : parts) {
    if (!p.trimmed().isEmpty()) value.push_back(p.trimmed().toStdString());
  }
}

// Domains of any number, lower-cased; an empty value keeps the default.
void ReadDomains(QSettings& ini, const char* key, std::vector<std::string>& value) {
  std::vector<std::string> read;
  ReadEntries(ini, key, read);
  for (std::string& d : read) d = QString::fromStdString(d).toLower().toStdString();
  if (!read.empty()) value = std::move(read);
}

// A file path; a relative one is taken beside the settings file.
void ReadPath(QSettings& ini, const char* key, const std::string& iniPath, std::string& value) {
  QString text = ini.value(key).toString().trimmed();
  if (text.isEmpty()) return;
  QDir beside = QFileInfo(QString::fromStdString(iniPath)).absoluteDir();
  value = QDir::cleanPath(beside.absoluteFilePath(text)).toStdString();
}

void ReadNumber(QSettings& ini, const char* key, int& value) {
  bool ok = false;
  int read = ini.value(key).toInt(&ok);
  if (ok && read > 0) value = read;
}

}  // namespace

TEngineSettings LoadEngineSettings(const std::string& path) {
  TEngineSettings s;
  QSettings ini(QString::fromStdString(path), QSettings::IniFormat);
  ini.beginGroup("engine");
  ReadText(ini, "BaiduSearchHost", s.BaiduSearchHost);
  ReadText(ini, "BaiduDomain", s.BaiduDomain);
  ReadText(ini, "So360SearchHost", s.So360SearchHost);
  ReadText(ini, "So360ClickHost", s.So360ClickHost);
  ReadList(ini, "So360Domains", s.So360Domains);
  ReadText(ini, "SogouSearchHost", s.SogouSearchHost);
  ReadText(ini, "SogouDomain", s.SogouDomain);
  ReadList(ini, "EngineDomains", s.EngineDomains);
  ReadDomains(ini, "PortalDomains", s.PortalDomains);
  ReadText(ini, "BeianHost", s.BeianHost);
  ReadText(ini, "SpiderUserAgent", s.SpiderUserAgent);
  ReadIdentity(ini, "BrowserUserAgent", s.BrowserUserAgent);
  ReadReaders(ini, "PageReaders", s.PageReader);
  ReadMarkers(ini, "BaiduVerifyMarkers", s.BaiduVerifyMarkers);
  ReadMarkers(ini, "So360VerifyMarkers", s.So360VerifyMarkers);
  ReadMarkers(ini, "SogouVerifyMarkers", s.SogouVerifyMarkers);
  ReadNumber(ini, "VerifyBackoffSeconds", s.VerifyBackoffSeconds);
  ini.endGroup();
  ReadText(ini, "net/Proxy", s.Proxy);
  ReadEntries(ini, "net/Proxies", s.Proxies);
  ReadPath(ini, "net/ProxyFile", path, s.ProxyFile);
  ReadNumber(ini, "net/MaxCrawlers", s.MaxCrawlers);
  ReadText(ini, "net/Egress", s.Egress);
  return s;
}

std::shared_ptr<const TEngineSettings> EngineSettings() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_settings;
}

void SetEngineSettings(const TEngineSettings& settings) {
  auto copy = std::make_shared<const TEngineSettings>(settings);
  std::lock_guard<std::mutex> lock(g_mutex);
  g_settings = std::move(copy);
}

}  // namespace zoqa
