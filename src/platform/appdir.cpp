#include "platform/appdir.h"

#include <unistd.h>
#include <QDir>
#include <QStandardPaths>

#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "util/textutil.h"

namespace zoqa {
namespace {

std::mutex g_mutex;
std::string g_override;

std::string WithSlash(const std::string& dir) {
  return IncludeBackslash(dir);
}

std::string UserDataDir() {
  QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (base.isEmpty()) base = QDir::homePath() + "/.local/share";
  QString dir = base + "/zoqa";
  QDir().mkpath(dir);
  return dir.toStdString();
}

}  // namespace

std::string AppExePath() {
  std::error_code ec;
  auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : path.string();
}

std::string AppExeName() {
  return std::filesystem::path(AppExePath()).filename().string();
}

std::string AppExeDir() {
  return WithSlash(std::filesystem::path(AppExePath()).parent_path().string());
}

bool FolderWritable(const std::string& dir) {
  return !dir.empty() && access(dir.c_str(), W_OK | X_OK) == 0;
}

void SetAppDirOverride(const std::string& dir) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_override = dir;
}

bool AppDirGiven() {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_override.empty()) return true;
  }
  const char* home = std::getenv("ZOQA_HOME");
  return home != nullptr && *home != '\0';
}

std::string AppDir() {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_override.empty()) return WithSlash(g_override);
  }
  if (const char* home = std::getenv("ZOQA_HOME"); home && *home) return WithSlash(home);
  std::string exeDir = std::filesystem::path(AppExePath()).parent_path().string();
  if (FolderWritable(exeDir)) return WithSlash(exeDir);
  return WithSlash(UserDataDir());
}

}  // namespace zoqa
