// The companion-tool table, launch token, path resolution and the launch decisions that do
// not involve a running copy (those are in the widget tests, with a fake tool).
#include "service/companiontools.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdlib>
#include <set>

#include "platform/appdir.h"
#include "service/desutil.h"
#include "service/servicesettings.h"
#include "support/testsupport.h"

namespace zoqa::test {
namespace {

// Keeps the per-user settings store and the runtime directory of these tests away from the
// real user's: set before anything reads them.
class PrivateUserDirs : public ::testing::Environment {
 public:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", (dir_.path() + "/config").toUtf8().constData(), 1);
    setenv("XDG_RUNTIME_DIR", (dir_.path() + "/run").toUtf8().constData(), 1);
    QDir().mkpath(dir_.path() + "/config");
    QDir().mkpath(dir_.path() + "/run");
    QFile::setPermissions(dir_.path() + "/run",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }

 private:
  QTemporaryDir dir_;
};
[[maybe_unused]] auto* const g_dirs = ::testing::AddGlobalTestEnvironment(new PrivateUserDirs);

void Record(int t, const std::string& path) {
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "vemaraki",
                     CompanionTool(t).Code);
  settings.setValue("install", QString::fromStdString(path));
  settings.sync();
}

class CompanionToolsTest : public ::testing::Test {
 protected:
  CompanionToolsTest() { SetAppDirOverride(home.Path()); }
  ~CompanionToolsTest() override {
    SetAppDirOverride("");
    for (int t = 0; t < kToolCount; ++t) Record(t, "");
  }
  void MakeFile(const std::string& path) {
    QDir().mkpath(QString::fromStdString(path.substr(0, path.rfind('/'))));
    WriteFileBytes(path, "#!");
  }

  TempDir home;
};

TEST(CompanionToolTable, RowsCodesAndButtons) {
  EXPECT_STREQ(CompanionTool(0).Code, "zqmail");
  EXPECT_STREQ(CompanionTool(1).Code, "zqsms");
  EXPECT_EQ(ToolButtonRows(), (std::vector<int>{0, 1, 3, 4}));
  // Rows 0 to 2 are one family with one main window; rows 3 and 4 each have their own.
  EXPECT_STREQ(CompanionTool(0).WindowClass, CompanionTool(2).WindowClass);
  EXPECT_STREQ(CompanionTool(1).WindowClass, CompanionTool(2).WindowClass);
  std::set<std::string> classes = {CompanionTool(0).WindowClass, CompanionTool(3).WindowClass,
                                   CompanionTool(4).WindowClass};
  EXPECT_EQ(classes.size(), 3u);
  std::set<std::string> names;
  for (int t = 0; t < kToolCount; ++t) {
    std::string name = CompanionTool(t).DisplayName;
    EXPECT_EQ(name.find_first_of("/\\:*?\"<>|"), std::string::npos) << name;
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 5u);
}

TEST(CompanionToolTable, DownloadUrlsAndLaunchArguments) {
  TServiceSettings settings;
  settings.ServiceHost = "svc.example";
  SetServiceSettings(settings);
  EXPECT_EQ(ToolDownloadUrl(0, "http://a/1.zip", "http://a/2.zip"), "http://a/1.zip");
  EXPECT_EQ(ToolDownloadUrl(1, "http://a/1.zip", "http://a/2.zip"), "http://a/2.zip");
  EXPECT_EQ(ToolDownloadUrl(0, "", ""), "");
  EXPECT_EQ(ToolDownloadUrl(3, "", ""),
            std::string("http://svc.example/soft/") + CompanionTool(3).Code + ".zip");
  SetServiceSettings(TServiceSettings{});

  std::string arguments = LaunchArguments();
  ASSERT_EQ(arguments.substr(0, 2), "-u");
  EXPECT_EQ(arguments.size(), 2u + 16u);
  EXPECT_EQ(DecipherFromHex(arguments.substr(2), kLaunchKey), "|");
  // The text key takes the first eight bytes of the key string.
  EXPECT_EQ(arguments.substr(2), EncipherToHex("|", "qmv3k8rt"));
}

TEST_F(CompanionToolsTest, PathPrefersAnExistingRecordThenTheDefaultFolder) {
  const int t = 3;
  EXPECT_EQ(ToolPath(t), "");
  std::string recorded = home.File("elsewhere/tool.exe");
  MakeFile(recorded);
  Record(t, recorded);
  EXPECT_EQ(ToolPath(t), recorded);

  // A stale record (the file is gone) falls back to the default folder.
  Record(t, home.File("gone/tool.exe"));
  EXPECT_EQ(ToolPath(t), "");
  std::string plain = ToolFolder(t) + "/" + CompanionTool(t).DisplayName;
  MakeFile(plain);
  EXPECT_EQ(ToolPath(t), plain);  // an executable named without ".exe", as here
  MakeFile(ToolDefaultPath(t));
  EXPECT_EQ(ToolPath(t), ToolDefaultPath(t));
  EXPECT_EQ(ToolDefaultPath(t), home.Path() + "/" + CompanionTool(t).DisplayName + "/" +
                                    CompanionTool(t).DisplayName + ".exe");
}

TEST_F(CompanionToolsTest, LaunchStartsAnInstalledToolOrOpensThePrompt) {
  std::vector<std::pair<std::string, std::string>> started;
  std::vector<std::pair<int, std::string>> prompts;
  TLaunchHooks hooks;
  hooks.Start = [&](const std::string& path, const std::string& arguments) {
    started.emplace_back(path, arguments);
    return true;
  };
  hooks.OpenPrompt = [&](int t, const std::string& arguments) {
    prompts.emplace_back(t, arguments);
  };

  EXPECT_EQ(LaunchTool(4, hooks), loPrompted);
  ASSERT_EQ(prompts.size(), 1u);
  EXPECT_EQ(prompts[0], std::make_pair(4, LaunchArguments()));
  EXPECT_TRUE(started.empty());

  Record(0, home.File("gone/mail.exe"));
  MakeFile(ToolDefaultPath(0));
  EXPECT_EQ(LaunchTool(0, hooks), loStarted);
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0], std::make_pair(ToolDefaultPath(0), LaunchArguments()));
  EXPECT_EQ(prompts.size(), 1u);
}

}  // namespace
}  // namespace zoqa::test
