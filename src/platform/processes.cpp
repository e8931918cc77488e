#include "platform/processes.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <vector>

#include "util/textutil.h"

namespace zoqa {
namespace {

namespace fs = std::filesystem;

// The process's executable path; for processes whose link cannot be read, the first word
// of its command line or, failing that, its short name.
std::string ExecutableOf(const fs::path& procDir) {
  std::error_code ec;
  fs::path exe = fs::read_symlink(procDir / "exe", ec);
  if (!ec && !exe.empty()) return exe.string();
  std::ifstream cmdline(procDir / "cmdline", std::ios::binary);
  std::string argv0;
  if (cmdline && std::getline(cmdline, argv0, '\0') && !argv0.empty()) return argv0;
  std::ifstream comm(procDir / "comm");
  std::string name;
  std::getline(comm, name);
  return name;
}

template <typename Visit>
void ForEachProcess(Visit visit) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/proc", ec)) {
    const std::string id = entry.path().filename().string();
    if (id.empty() || !std::all_of(id.begin(), id.end(), ::isdigit)) continue;
    if (!visit(static_cast<pid_t>(std::stol(id)), entry.path())) break;
  }
}

// True for a process that has ended but whose parent has not collected it yet.
bool IsZombie(const fs::path& procDir) {
  std::ifstream stat(procDir / "stat");
  std::string line;
  if (!std::getline(stat, line)) return true;  // gone meanwhile
  std::size_t close = line.rfind(')');
  return close == std::string::npos || close + 2 >= line.size() || line[close + 2] == 'Z';
}

// The executable path without the mark the kernel adds once the file was replaced.
std::string WithoutDeletedMark(std::string exe) {
  const std::string mark = " (deleted)";
  if (exe.size() > mark.size() && exe.compare(exe.size() - mark.size(), mark.size(), mark) == 0) {
    exe.resize(exe.size() - mark.size());
  }
  return exe;
}

// True when the process belongs to the calling user (the owner of its /proc entry is the
// process's effective user).
bool OwnedByUs(const fs::path& procDir) {
  struct stat st;
  return ::stat(procDir.c_str(), &st) == 0 && st.st_uid == ::geteuid();
}

bool Terminate(pid_t id) {
  return kill(id, SIGKILL) == 0;
}

}  // namespace

bool KillProcessByName(const std::string& name) {
  const std::string wanted = AsciiUpper(name);
  bool result = false;
  std::vector<pid_t> matches;
  ForEachProcess([&](pid_t id, const fs::path& dir) {
    std::string exe = ExecutableOf(dir);
    if (exe.empty()) return true;
    std::string upper = AsciiUpper(exe);
    if (wanted == upper || wanted == AsciiUpper(fs::path(exe).filename().string())) {
      matches.push_back(id);
    }
    return true;
  });
  // The caller goes last, so that every other match is ended before it is.
  const pid_t self = getpid();
  std::stable_partition(matches.begin(), matches.end(), [self](pid_t id) { return id != self; });
  for (pid_t id : matches) result = Terminate(id);
  return result;
}

int KillProcessesOf(const std::string& path) {
  const std::string wanted = WithoutDeletedMark(path);
  const pid_t self = getpid();
  int ended = 0;
  ForEachProcess([&](pid_t id, const fs::path& dir) {
    if (id == self || !OwnedByUs(dir)) return true;
    std::error_code ec;
    fs::path exe = fs::read_symlink(dir / "exe", ec);
    if (!ec && WithoutDeletedMark(exe.string()) == wanted && Terminate(id)) ++ended;
    return true;
  });
  return ended;
}

bool ProcessRunning(const std::string& name) {
  const std::string wanted = AsciiUpper(name);
  const pid_t self = getpid();
  bool running = false;
  ForEachProcess([&](pid_t id, const fs::path& dir) {
    if (id == self || !OwnedByUs(dir)) return true;
    std::string exe = WithoutDeletedMark(ExecutableOf(dir));
    if (exe.empty()) return true;
    if (wanted == AsciiUpper(exe) || wanted == AsciiUpper(fs::path(exe).filename().string())) {
      running = !IsZombie(dir);
    }
    return !running;
  });
  return running;
}

bool KillProcessById(pid_t id) {
  bool found = false;
  ForEachProcess([&](pid_t pid, const fs::path&) {
    found = pid == id;
    return !found;
  });
  return found && Terminate(id);
}

}  // namespace zoqa
