#include "support/testsupport.h"

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace zoqa::test {

TempDir::TempDir() {
  QTemporaryDir dir;
  dir.setAutoRemove(false);
  if (!dir.isValid()) throw std::runtime_error("cannot create a temporary directory");
  path_ = dir.path().toStdString();
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string TestDataPath(const std::string& name) {
  return std::string(ZOQA_TEST_DATA_DIR) + "/" + name;
}

CliResult RunCli(const std::vector<std::string>& args, const std::string& input, int timeoutMs) {
  QStringList list;
  for (const auto& a : args) list << QString::fromStdString(a);
  QProcess process;
  process.start(QString::fromUtf8(ZOQA_CLI_PATH), list);
  CliResult result;
  if (!process.waitForStarted(timeoutMs)) return result;
  process.write(input.data(), static_cast<qint64>(input.size()));
  process.closeWriteChannel();
  if (!process.waitForFinished(timeoutMs)) {
    process.kill();
    process.waitForFinished();
    return result;
  }
  result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.out = process.readAllStandardOutput().toStdString();
  result.err = process.readAllStandardError().toStdString();
  return result;
}

}  // namespace zoqa::test
