// Helpers shared by the test suites: temporary directories, files and running zoqa-cli.
#pragma once

#include <string>
#include <vector>

namespace zoqa::test {

// A fresh directory removed with its contents when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

// Path of a file under tests/support/data.
std::string TestDataPath(const std::string& name);

struct CliResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs the built zoqa-cli with `args`, feeding `input` on stdin; waits at most `timeoutMs`.
CliResult RunCli(const std::vector<std::string>& args, const std::string& input = {},
                 int timeoutMs = 60000);

}  // namespace zoqa::test
