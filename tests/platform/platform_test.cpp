#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/appdir.h"
#include "platform/fileversion.h"
#include "platform/processes.h"
#include "support/testsupport.h"

namespace zoqa {
namespace {

namespace fs = std::filesystem;

TEST(FileVersion, ReadsTheEmbeddedRecord) {
  EXPECT_EQ(GetFileVersion(ZOQA_CLI_PATH), "2.1.0.0");
}

TEST(FileVersion, AnythingElseGivesTheDefault) {
  test::TempDir dir;
  EXPECT_EQ(GetFileVersion(dir.File("missing")), "1.0.0.0");
  EXPECT_EQ(GetFileVersion("/bin/sh"), "1.0.0.0");  // an ELF file without the record
  std::string elf = test::ReadFileBytes(ZOQA_CLI_PATH);
  test::WriteFileBytes(dir.File("head"), elf.substr(0, 100));
  EXPECT_EQ(GetFileVersion(dir.File("head")), "1.0.0.0");
  test::WriteFileBytes(dir.File("text"),
                       "\x7F"
                       "ELF garbage");
  EXPECT_EQ(GetFileVersion(dir.File("text")), "1.0.0.0");
  std::string broken = elf;
  std::fill(broken.end() - 4096, broken.end(), '\xFF');  // section headers destroyed
  test::WriteFileBytes(dir.File("broken"), broken);
  EXPECT_EQ(GetFileVersion(dir.File("broken")), "1.0.0.0");
  EXPECT_EQ(GetFileVersion(dir.Path()), "1.0.0.0");
}

// Starts a copy of sleep under a name no other process has.
pid_t StartSleeper(const std::string& path) {
  fs::copy_file("/bin/sleep", path, fs::copy_options::overwrite_existing);
  pid_t pid = fork();
  if (pid == 0) {
    execl(path.c_str(), path.c_str(), "30", static_cast<char*>(nullptr));
    _exit(127);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  return pid;
}

bool EndedBySignal(pid_t pid) {
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFSIGNALED(status);
}

TEST(Processes, KillByNameMatchesFileNameOrFullPathWithoutCase) {
  test::TempDir dir;
  std::string name = "zq_sleeper_" + std::to_string(getpid());
  pid_t a = StartSleeper(dir.File(name));
  EXPECT_TRUE(KillProcessByName("ZQ_SLEEPER_" + std::to_string(getpid())));
  EXPECT_TRUE(EndedBySignal(a));
  pid_t b = StartSleeper(dir.File(name));
  EXPECT_TRUE(KillProcessByName(dir.File(name)));
  EXPECT_TRUE(EndedBySignal(b));
  EXPECT_FALSE(KillProcessByName(name));  // nothing left to end
}

bool Alive(pid_t pid) {
  return waitpid(pid, nullptr, WNOHANG) == 0;
}

// As root: the same program run by another user (nobody), who may read the folder.
pid_t StartForeignSleeper(const std::string& path) {
  pid_t pid = fork();
  if (pid == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(126);
    execl(path.c_str(), path.c_str(), "30", static_cast<char*>(nullptr));
    _exit(127);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  return pid;
}

TEST(Processes, KillProcessesOfEndsOnlyThisUsersRunsOfThatVeryFile) {
  test::TempDir dir;
  test::TempDir other;
  const std::string name = "zq_copy_" + std::to_string(getpid());
  pid_t mine = StartSleeper(dir.File(name));
  pid_t namesake = StartSleeper(other.File(name));  // same name, another folder
  pid_t foreign = -1;
  if (geteuid() == 0) {
    fs::permissions(dir.Path(), fs::perms(0755));
    foreign = StartForeignSleeper(dir.File(name));
    ASSERT_EQ(fs::read_symlink("/proc/" + std::to_string(foreign) + "/exe"), dir.File(name));
  }
  fs::create_symlink(dir.File(name), other.File("link"));
  EXPECT_EQ(KillProcessesOf(other.File("link")), 0);  // a link is not the file it names
  EXPECT_EQ(KillProcessesOf(dir.File(name)), 1);
  EXPECT_TRUE(EndedBySignal(mine));
  EXPECT_TRUE(Alive(namesake));
  kill(namesake, SIGKILL);
  EXPECT_TRUE(EndedBySignal(namesake));
  if (foreign > 0) {
    EXPECT_TRUE(Alive(foreign));
    kill(foreign, SIGKILL);
    EXPECT_TRUE(EndedBySignal(foreign));
  }
}

TEST(Processes, KillById) {
  test::TempDir dir;
  pid_t pid = StartSleeper(dir.File("zq_sleeper_id"));
  EXPECT_TRUE(KillProcessById(pid));
  EXPECT_TRUE(EndedBySignal(pid));
  EXPECT_FALSE(KillProcessById(pid));
}

TEST(AppDir, OverrideThenEnvironmentThenExecutableDirectory) {
  SetAppDirOverride("/tmp/zq-home");
  EXPECT_EQ(AppDir(), "/tmp/zq-home/");
  SetAppDirOverride("");
  setenv("ZOQA_HOME", "/tmp/zq-env/", 1);
  EXPECT_EQ(AppDir(), "/tmp/zq-env/");
  unsetenv("ZOQA_HOME");
  std::string dir = AppDir();
  EXPECT_EQ(dir.back(), '/');
  EXPECT_EQ(fs::path(AppExePath()).parent_path().string() + "/", dir);
  EXPECT_EQ(AppExeName(), "test_platform");
}

}  // namespace
}  // namespace zoqa

#include "platform/openurl.h"
#include "util/codepage.h"

namespace zoqa {
namespace {

TEST(OpenUrl, HandsTheAddressToTheDesktopWithoutWaiting) {
  test::TempDir dir;
  std::string script = dir.File("xdg-open");
  test::WriteFileBytes(script,
                       "#!/bin/sh\nsleep 2\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/opened\"\n");
  fs::permissions(script, fs::perms::owner_all);
  std::string oldPath = getenv("PATH");
  setenv("PATH", (dir.Path() + ":" + oldPath).c_str(), 1);
  OpenUrl(Cp936("http://example.cn/?q=广州"));
  EXPECT_FALSE(fs::exists(dir.File("opened")));  // the caller did not wait for the browser
  setenv("PATH", oldPath.c_str(), 1);
  for (int i = 0; i < 100 && !fs::exists(dir.File("opened")); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(test::ReadFileBytes(dir.File("opened")), "http://example.cn/?q=广州");
  OpenUrl("");  // nothing to open, nothing happens
}

}  // namespace
}  // namespace zoqa
