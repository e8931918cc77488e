// zoqa-update: installs a downloaded client package. The program leaves "update.zip" and
// "uplog.txt" (its own executable name) in the folder of its executable, which is also this
// updater's folder, starts this updater and ends itself; the updater waits until no process
// of this user runs that program, unpacks the package over the folder, deletes it and starts
// the program again.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/appdir.h"
#include "platform/fileversion.h"
#include "platform/processes.h"
#include "platform/replacefile.h"
#include "platform/startprogram.h"
#include "service/handover.h"
#include "service/zipunpack.h"

ZOQA_EMBED_FILE_VERSION(ZOQA_UPDATER_VERSION_MAJOR, ZOQA_UPDATER_VERSION_MINOR,
                        ZOQA_UPDATER_VERSION_PATCH, ZOQA_UPDATER_VERSION_TWEAK);

namespace {

namespace fs = std::filesystem;

constexpr char kUsage[] = "usage: zoqa-update [--home DIR] [--wait SECONDS]\n";
constexpr char kPackageFile[] = "update.zip";
constexpr char kLogFile[] = "update.log";
constexpr int kDefaultWaitSeconds = 60;

struct TOptions {
  std::string Home;
  int WaitSeconds = kDefaultWaitSeconds;
};

bool ParseOptions(int argc, char** argv, TOptions& options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--home" && i + 1 < argc) {
      options.Home = argv[++i];
    } else if (arg == "--wait" && i + 1 < argc) {
      char* end = nullptr;
      long seconds = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || seconds < 0 || seconds > 3600) return false;
      options.WaitSeconds = static_cast<int>(seconds);
    } else {
      return false;
    }
  }
  return true;
}

// What the updater did, kept in "update.log" and errors also on stderr.
class TUpdateLog {
 public:
  void Note(const std::string& line) { lines_.push_back(Stamp() + " " + line); }
  void Error(const std::string& line) {
    std::fprintf(stderr, "zoqa-update: %s\n", line.c_str());
    Note("error: " + line);
  }
  void Write(const std::string& path) const {
    std::string text;
    for (const auto& line : lines_) text += line + "\n";
    zoqa::ReplaceFile(path, text);
  }

 private:
  static std::string Stamp() {
    std::time_t now = std::time(nullptr);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
    return text;
  }
  std::vector<std::string> lines_;
};

// A bare file name: no folder part, nothing that leads elsewhere.
bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\") == std::string::npos;
}

// Waits until no process runs the program at `path`; false when it still runs after `seconds`.
bool WaitForEnd(const std::string& path, int seconds) {
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (zoqa::ProcessRunning(path)) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

// Unpacks the package over the program directory and deletes it; a refused or broken
// package is left in place.
bool InstallPackage(const std::string& dir, TUpdateLog& log) {
  const std::string package = dir + kPackageFile;
  std::error_code ec;
  if (!fs::exists(package, ec)) {
    log.Error("no package " + package);
    return false;
  }
  zoqa::TUnpackResult result = zoqa::UnpackZip(package, dir);
  if (!result.Ok) {
    log.Error("package not installed: " + result.Error);
    return false;
  }
  for (const auto& file : result.Files) log.Note("installed " + file);
  if (!fs::remove(package, ec)) log.Note("could not delete " + package + ": " + ec.message());
  return true;
}

// The folder to install into: --home when given, else this updater's own folder (not the
// program directory that ZOQA_HOME may name), with its links resolved and a trailing "/".
std::string InstallFolder(const TOptions& options) {
  std::string dir = options.Home.empty() ? zoqa::AppExeDir() : options.Home;
  std::error_code ec;
  fs::path resolved = fs::weakly_canonical(dir, ec);
  if (!ec) dir = resolved.string();
  return dir.empty() || dir.back() == '/' ? dir : dir + "/";
}

int Run(const std::string& dir, const TOptions& options, TUpdateLog& log) {
  log.Note("program directory " + dir);
  const std::string name = zoqa::ReadUpLog(dir);
  if (!IsPlainFileName(name)) {
    log.Error(name.empty() ? "uplog.txt is missing or empty"
                           : "uplog.txt names no plain file: " + name);
    return 1;
  }
  log.Note("program " + name);
  if (!WaitForEnd(dir + name, options.WaitSeconds)) {
    log.Note("still running after " + std::to_string(options.WaitSeconds) +
             " s; installing anyway");
  }
  bool installed = InstallPackage(dir, log);
  // The program is started again in any case, so the user is not left without it.
  if (!zoqa::StartProgram(dir + name, "")) {
    log.Error("cannot start " + dir + name);
    return 1;
  }
  log.Note("started " + dir + name);
  return installed ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  TOptions options;
  if (!ParseOptions(argc, argv, options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  TUpdateLog log;
  const std::string dir = InstallFolder(options);
  int code = 1;
  try {
    code = Run(dir, options, log);
  } catch (const std::exception& e) {
    log.Error(e.what());
  }
  log.Write(dir + kLogFile);
  return code;
}
