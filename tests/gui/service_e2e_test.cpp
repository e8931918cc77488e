// The desktop program against a loopback imitation of the maker's service: it fetches and
// applies the configuration document, opens the notice, updates itself through the updater
// and comes back as the new version; without a configuration host it never asks the service.
// Each test runs a copy of zoqa under a name of its own.
#include <QFile>
#include <QProcess>

#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <cstdio>

#include "guifixture.h"
#include "service/desutil.h"
#include "support/loopbackworld.h"
#include "support/zipbuilder.h"

namespace zoqa::test {
namespace {

constexpr char kConfigHost[] = "cfg.zoqa.test";
constexpr char kDownloadHost[] = "dl.zoqa.test";

std::string Crc(const std::string& bytes) {
  uLong crc =
      crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
  return std::to_string(crc);
}

// A folder holding a copy of zoqa, its settings (in the same folder, or with `homeElsewhere`
// in a program directory of their own given by ZOQA_HOME), and the running copy.
class TInstalledCopy {
 public:
  explicit TInstalledCopy(const TLoopbackWorld& world, bool linkOn, bool homeElsewhere = false)
      : homeElsewhere_(homeElsewhere) {
    static std::atomic<int> counter{0};
    name_ = "zqe" + std::to_string(getpid() % 100000) + "x" + std::to_string(++counter);
    EXPECT_TRUE(QFile::copy(ZOQA_GUI_PATH, Q(Path(name_))));
    QFile(Q(Path(name_))).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    std::string cfg = "[config]\nfirst=1\n[net]\nProxy=" + world.ProxyAddress() + "\n";
    if (linkOn) cfg += std::string("[service]\nConfigHost=") + kConfigHost + "\n";
    WriteFileBytes(Setting("zqclient.cfg"), cfg);
  }
  ~TInstalledCopy() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished(10000);
    }
  }

  std::string Path(const std::string& file) const { return dir_.File(file); }
  // A file of the program directory.
  std::string Setting(const std::string& file) const {
    return homeElsewhere_ ? programDir_.File(file) : Path(file);
  }
  const std::string& Name() const { return name_; }
  QProcess& Process() { return process_; }

  void Start() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("ZOQA_HOME");
    if (homeElsewhere_) env.insert("ZOQA_HOME", Q(programDir_.Path()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    QString home = QString::fromStdString(home_.Path());
    QDir().mkpath(home + "/run");
    QFile(home + "/run").setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert("XDG_RUNTIME_DIR", home + "/run");
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/.config");
    env.insert("XDG_DATA_HOME", home + "/.local/share");
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    process_.setProcessEnvironment(env);
    process_.start(Q(Path(name_)), {});
    ASSERT_TRUE(process_.waitForStarted(10000));
  }

 private:
  static QString Q(const std::string& s) { return QString::fromStdString(s); }

  TempDir dir_;
  TempDir home_;
  TempDir programDir_;
  bool homeElsewhere_;
  std::string name_;
  QProcess process_;
};

void ServeDocument(TLoopbackWorld& world, const std::string& xml) {
  world.Route(kConfigHost, "/soft/kwrt/config.txt",
              TWorldResponse::Page(EncipherStream(xml, "qmv3k8rtw")));
}

bool Exists(const std::string& path) {
  return QFile::exists(QString::fromStdString(path));
}

// The update goes to the executable's folder though the program directory is elsewhere; a
// program of the same name in another folder is left running, and the old copy ends by
// itself with status 0.
TEST(ServiceEndToEnd, UpdatesItselfThroughTheUpdaterAndComesBackAsTheNewVersion) {
  TLoopbackWorld world;
  TInstalledCopy copy(world, true, true);
  TempDir otherFolder;
  QFile::copy("/bin/sleep", QString::fromStdString(otherFolder.File(copy.Name())));
  QFile(QString::fromStdString(otherFolder.File(copy.Name())))
      .setPermissions(QFile::ReadOwner | QFile::ExeOwner);
  QProcess namesake;
  namesake.start(QString::fromStdString(otherFolder.File(copy.Name())), {"120"});
  ASSERT_TRUE(namesake.waitForStarted(10000));
  std::string newClient = ReadFileBytes(ZOQA_FAKE_NEW_PATH);
  std::string package = TZipBuilder().File(copy.Name(), newClient, 0755).Bytes();
  std::string updater =
      TZipBuilder().File("update.exe", ReadFileBytes(ZOQA_UPDATER_PATH), 0755).Bytes();
  world.Route(kDownloadHost, "/update.zip", TWorldResponse::Page(package));
  world.Route(kDownloadHost, "/up.zip", TWorldResponse::Page(updater));
  ServeDocument(world,
                "<?xml version=\"1.0\" encoding=\"gb2312\"?><zq><system/><version>"
                "<zoqa ver=\"2.2\" force=\"0\" crc=\"" +
                    Crc(package) +
                    "\">http://dl.zoqa.test/update.zip</zoqa>"
                    "<zoqaupdate ver=\"1.0.0.2\" crc=\"" +
                    Crc(updater) + "\">http://dl.zoqa.test/up.zip</zoqaupdate></version></zq>");
  copy.Start();

  // The new version writes its marker when the updater starts it.
  std::string marker = copy.Path(copy.Name() + ".marker");
  // Its line is complete once it ends in a line break.
  ASSERT_TRUE(PumpUntil(
      [&] {
        std::string text = Exists(marker) ? ReadFileBytes(marker) : std::string();
        return !text.empty() && text.back() == '\n';
      },
      120000))
      << copy.Process().readAllStandardError().toStdString();
  EXPECT_EQ(ReadFileBytes(marker).substr(0, 4), "new ");
  EXPECT_TRUE(PumpUntil([&] { return copy.Process().state() == QProcess::NotRunning; }, 10000));
  EXPECT_EQ(copy.Process().exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(copy.Process().exitCode(), 0);
  EXPECT_EQ(namesake.state(), QProcess::Running);
  namesake.kill();
  namesake.waitForFinished(10000);
  EXPECT_EQ(ReadFileBytes(copy.Path(copy.Name())), newClient);
  EXPECT_EQ(ReadFileBytes(copy.Path("uplog.txt")), copy.Name() + "\r\n");
  EXPECT_FALSE(Exists(copy.Path("update.zip")));  // installed and removed by the updater
  EXPECT_FALSE(Exists(copy.Path("up.zip")));      // unpacked and removed by the program
  EXPECT_EQ(ReadFileBytes(copy.Path("update.exe")), ReadFileBytes(ZOQA_UPDATER_PATH));
  EXPECT_EQ(world.Count({kConfigHost, "/soft/kwrt/config.txt"}), 1);
  EXPECT_EQ(world.Count({kDownloadHost, "/update.zip"}), 1);
  EXPECT_EQ(world.Count({kDownloadHost, "/up.zip"}), 1);
}

TEST(ServiceEndToEnd, OpensTheNoticeOnceTheDocumentIsHandled) {
  TLoopbackWorld world;
  TInstalledCopy copy(world, true);
  ServeDocument(world,
                "<zq><system><zqmailurl>http://dl.zoqa.test/m.zip</zqmailurl></system></zq>");
  world.RoutePrefix(kConfigHost, "/pop.aspx",
                    TWorldResponse::Page("<html><body>notice</body></html>"));
  copy.Start();
  EXPECT_TRUE(world.WaitForCount({kConfigHost, "/pop.aspx?ver=2.1&t=9"}, 1, 60000));
  EXPECT_EQ(world.Count({kConfigHost, "/soft/kwrt/config.txt"}), 1);
  EXPECT_EQ(copy.Process().state(), QProcess::Running);
}

TEST(ServiceEndToEnd, RunsOnItsOwnWithoutAConfigurationHost) {
  TLoopbackWorld world;
  TInstalledCopy copy(world, false);
  copy.Start();
  // The program is up once it made its database; the service was never asked.
  ASSERT_TRUE(PumpUntil([&] { return Exists(copy.Setting("Data/users")); }, 60000));
  PumpUntil([] { return false; }, 3000);
  EXPECT_EQ(copy.Process().state(), QProcess::Running);
  EXPECT_EQ(world.Count(), 0);
}

}  // namespace
}  // namespace zoqa::test
