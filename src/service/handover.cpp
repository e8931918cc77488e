#include "service/handover.h"

#include <filesystem>
#include <fstream>

#include "platform/replacefile.h"
#include "platform/startprogram.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

constexpr char kUpLogFile[] = "uplog.txt";
constexpr char kUpdaterFile[] = "update.exe";

std::string InDir(const std::string& dir, const std::string& name) {
  return (std::filesystem::path(dir) / name).string();
}

}  // namespace

bool WriteUpLog(const std::string& dir, const std::string& exeName) {
  std::string name = exeName;
  std::size_t slash = name.find_last_of("/\\");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  return ReplaceFile(InDir(dir, kUpLogFile), name + "\r\n");
}

std::string ReadUpLog(const std::string& dir) {
  std::ifstream in(InDir(dir, kUpLogFile), std::ios::binary);
  std::string line;
  std::getline(in, line);
  return Trim(line);
}

bool StartUpdater(const std::string& dir) {
  return StartProgram(InDir(dir, kUpdaterFile), "");
}

}  // namespace zoqa
