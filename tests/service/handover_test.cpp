// The hand-over to the updater and the updater itself: the note it reads, waiting for the
// old program, installing the package and starting the new program.
#include "service/handover.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

#include <filesystem>

#include "platform/processes.h"
#include "platform/startprogram.h"
#include "servicefixture.h"
#include "support/zipbuilder.h"

namespace zoqa::test {
namespace {

namespace fs = std::filesystem;

TEST(HandOverTest, UpLogHoldsOnlyTheFileNameAndCrLf) {
  TempDir dir;
  ASSERT_TRUE(WriteUpLog(dir.Path(), "/opt/zoqa/zoqa"));
  EXPECT_EQ(ReadFileBytes(dir.File("uplog.txt")), "zoqa\r\n");
  ASSERT_TRUE(WriteUpLog(dir.Path() + "/", "C:\\Program Files\\zoqa\\zoqa.exe"));
  EXPECT_EQ(ReadFileBytes(dir.File("uplog.txt")), "zoqa.exe\r\n");
  EXPECT_EQ(ReadUpLog(dir.Path()), "zoqa.exe");
  EXPECT_FALSE(WriteUpLog(dir.File("no/such/folder"), "zoqa"));
  // A link named "uplog.txt" is replaced, not written through.
  WriteFileBytes(dir.File("other.txt"), "keep");
  fs::remove(dir.File("uplog.txt"));
  fs::create_symlink(dir.File("other.txt"), dir.File("uplog.txt"));
  ASSERT_TRUE(WriteUpLog(dir.Path(), "zoqa"));
  EXPECT_FALSE(fs::is_symlink(dir.File("uplog.txt")));
  EXPECT_EQ(ReadFileBytes(dir.File("other.txt")), "keep");
}

TEST(HandOverTest, StartsTheUpdaterOfTheFolder) {
  TempDir dir;
  EXPECT_FALSE(StartUpdater(dir.Path()));  // none there
  CopyProgram(ZOQA_FAKE_NEW_PATH, dir.File("update.exe"));
  ASSERT_TRUE(StartUpdater(dir.Path()));
  EXPECT_TRUE(WaitForMarker(dir.File("update.exe"), "new", 10000));
  EXPECT_EQ(ReadFileBytes(dir.File("update.exe.marker")), "new " + dir.File("update.exe") + "\n");
}

TEST(ProcessRunningTest, SeesAProgramOnlyWhileItRuns) {
  TempDir dir;
  const std::string name = UniqueProgramName("probe");
  CopyProgram(ZOQA_FAKE_OLD_PATH, dir.File(name));
  EXPECT_FALSE(ProcessRunning(name));
  ASSERT_TRUE(StartProgram(dir.File(name), "800"));
  ASSERT_TRUE(WaitForMarker(dir.File(name), "old", 10000));
  EXPECT_TRUE(ProcessRunning(name));
  EXPECT_TRUE(ProcessRunning(dir.File(name)));
  EXPECT_TRUE(WaitFor([&] { return !ProcessRunning(name); }, 10000));
}

// A program directory with an old program, the built updater as "update.exe", a package
// and the hand-over note, as the program leaves it.
class UpdaterTest : public ::testing::Test {
 protected:
  UpdaterTest() : name(UniqueProgramName("client")) {
    CopyProgram(ZOQA_FAKE_OLD_PATH, dir.File(name));
    CopyProgram(ZOQA_UPDATER_PATH, dir.File("update.exe"));
    WriteUpLog(dir.Path(), name);
  }

  // Runs the updater as the program starts it: no arguments, in its own folder. The program
  // directory may be elsewhere; the update still goes where the executable is.
  int RunUpdater() {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ZOQA_HOME", QString::fromStdString(elsewhere.Path()));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(QString::fromStdString(dir.Path()));
    process.start(QString::fromStdString(dir.File("update.exe")), {});
    EXPECT_TRUE(process.waitForFinished(90000));
    errors = process.readAllStandardError().toStdString();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  }

  std::string Program() const { return dir.File(name); }

  TempDir dir;
  TempDir elsewhere;
  std::string name;
  std::string errors;
};

TEST_F(UpdaterTest, WaitsForTheOldProgramInstallsTheNewAndStartsIt) {
  TZipBuilder package;
  package.File(name, ReadFileBytes(ZOQA_FAKE_NEW_PATH), 0755).File("Data/readme.txt", "news");
  package.WriteTo(dir.File("update.zip"));
  ASSERT_TRUE(StartProgram(Program(), "1500"));  // the old program, still ending
  ASSERT_TRUE(WaitForMarker(Program(), "old", 10000));

  auto started = SteadyMs();
  EXPECT_EQ(RunUpdater(), 0) << errors;
  EXPECT_GE(SteadyMs() - started, 500);  // it waited for the old program to end
  EXPECT_TRUE(WaitForMarker(Program(), "new", 10000));
  EXPECT_EQ(ReadFileBytes(Program() + ".marker"),
            "old " + Program() + " 1500\nnew " + Program() + "\n");
  EXPECT_EQ(ReadFileBytes(Program()), ReadFileBytes(ZOQA_FAKE_NEW_PATH));
  EXPECT_TRUE(IsExecutable(Program()));
  EXPECT_EQ(ReadFileBytes(dir.File("Data/readme.txt")), "news");
  EXPECT_FALSE(fs::exists(dir.File("update.zip")));
  std::string log = ReadFileBytes(dir.File("update.log"));
  EXPECT_NE(log.find("installed " + name), std::string::npos) << log;
}

TEST_F(UpdaterTest, ARefusedPackageStaysAndTheOldProgramStartsAgain) {
  TZipBuilder package;
  package.File(name, ReadFileBytes(ZOQA_FAKE_NEW_PATH), 0755).File("../escaped.txt", "bad");
  package.WriteTo(dir.File("update.zip"));

  EXPECT_NE(RunUpdater(), 0);
  EXPECT_NE(errors.find("climbs out"), std::string::npos) << errors;
  EXPECT_TRUE(WaitForMarker(Program(), "old", 10000));
  EXPECT_EQ(ReadFileBytes(Program()), ReadFileBytes(ZOQA_FAKE_OLD_PATH));
  EXPECT_TRUE(fs::exists(dir.File("update.zip")));
  EXPECT_FALSE(fs::exists(fs::path(dir.Path()).parent_path() / "escaped.txt"));
  EXPECT_NE(ReadFileBytes(dir.File("update.log")).find("climbs out"), std::string::npos);
}

TEST_F(UpdaterTest, AReplacementFailingPartWayIsRolledBack) {
  TZipBuilder package;
  // The second file's name is too long for the file system: its rename fails after the
  // program was replaced.
  package.File(name, ReadFileBytes(ZOQA_FAKE_NEW_PATH), 0755).File(std::string(300, 'n'), "x");
  package.WriteTo(dir.File("update.zip"));

  EXPECT_NE(RunUpdater(), 0);
  EXPECT_EQ(ReadFileBytes(Program()), ReadFileBytes(ZOQA_FAKE_OLD_PATH));
  EXPECT_TRUE(IsExecutable(Program()));
  EXPECT_NE(ReadFileBytes(dir.File("update.log")).find("restored"), std::string::npos);
  EXPECT_TRUE(WaitForMarker(Program(), "old", 10000));  // the old program, whole, runs again
  for (const auto& entry : fs::directory_iterator(dir.Path())) {
    EXPECT_EQ(entry.path().filename().string().rfind(".zoqa-", 0), std::string::npos)
        << entry.path();
  }
}

TEST_F(UpdaterTest, RefusesANoteThatNamesAPath) {
  for (const char* note : {"../outside\r\n", "/bin/sh\r\n", "", "..\r\n"}) {
    WriteFileBytes(dir.File("uplog.txt"), note);
    EXPECT_NE(RunUpdater(), 0) << note;
    EXPECT_FALSE(errors.empty()) << note;
  }
  EXPECT_FALSE(fs::exists(Program() + ".marker"));
}

}  // namespace
}  // namespace zoqa::test
