// One running copy per user: later starts of the program hand over to the running one and
// end with status 0; a lock left by a copy that died does not block the next start.
#include <QLocalServer>
#include <QLockFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>

#include "gui/singleinstance.h"
#include "guifixture.h"

namespace zoqa::test {
namespace {

QProcessEnvironment ProgramEnvironment(const TempDir& home, const QString& runtime) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("XDG_RUNTIME_DIR", runtime);
  env.insert("HOME", QString::fromStdString(home.Path()));
  env.insert("XDG_CONFIG_HOME", QString::fromStdString(home.File(".config")));
  env.insert("XDG_DATA_HOME", QString::fromStdString(home.File(".local/share")));
  env.insert("ZOQA_HOME", QString::fromStdString(home.File("app")));
  env.insert("ASAN_OPTIONS", "detect_leaks=0");
  return env;
}

bool WaitFinished(QProcess& p, int ms) {
  return PumpUntil([&] { return p.state() == QProcess::NotRunning; }, ms);
}

TEST(SingleInstance, LaterStartAsksTheRunningOneToShowAndEnds) {
  TempDir run;
  TempDir home;
  TSingleInstance first("zoqaclient", QString::fromStdString(run.Path()));
  ASSERT_TRUE(first.Acquire());
  QSignalSpy shown(&first, &TSingleInstance::ShowRequested);

  QProcess second;
  second.setProcessEnvironment(ProgramEnvironment(home, QString::fromStdString(run.Path())));
  second.start(ZOQA_GUI_PATH, {});
  ASSERT_TRUE(second.waitForStarted(10000));
  ASSERT_TRUE(WaitFinished(second, 30000)) << second.readAllStandardError().toStdString();
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(shown.count(), 1);
  // It opened nothing of its own: no program directory was made.
  EXPECT_FALSE(QFile::exists(QString::fromStdString(home.File("app/Data/users"))));

  // The same from this process: a second instance object finds the lock taken.
  TSingleInstance again("zoqaclient", QString::fromStdString(run.Path()));
  EXPECT_FALSE(again.Acquire());
  bool answered = false;
  std::thread asker([&] {
    TSingleInstance remote("zoqaclient", QString::fromStdString(run.Path()));
    answered = remote.ActivateRunning(10000);
  });
  PumpUntil([&] { return shown.count() == 2; }, 10000);
  asker.join();
  EXPECT_TRUE(answered);
}

TEST(SingleInstance, TwoProgramsOnlyTheFirstStaysRunning) {
  TempDir run;
  TempDir home;
  QProcessEnvironment env = ProgramEnvironment(home, QString::fromStdString(run.Path()));
  QProcess first;
  first.setProcessEnvironment(env);
  first.start(ZOQA_GUI_PATH, {});
  ASSERT_TRUE(first.waitForStarted(10000));
  // The first copy is up once it has made its store and listens.
  ASSERT_TRUE(PumpUntil(
      [&] {
        return QFile::exists(QString::fromStdString(run.File("zoqaclient.sock"))) &&
               QFile::exists(QString::fromStdString(home.File("app/zqclient.cfg")));
      },
      60000));

  QProcess second;
  second.setProcessEnvironment(env);
  second.start(ZOQA_GUI_PATH, {});
  ASSERT_TRUE(WaitFinished(second, 30000));
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(first.state(), QProcess::Running);
  first.kill();
  first.waitForFinished(10000);
}

TEST(SingleInstance, ASocketThatCannotListenIsReported) {
  TempDir run;
  // A folder so deep that the socket's path is beyond what a local socket can take.
  QString deep = QString::fromStdString(run.Path()) + "/" + QString(120, 'd');
  TSingleInstance first("zoqaclient", deep);
  ASSERT_TRUE(first.Acquire());
  EXPECT_FALSE(first.Listening());
  EXPECT_FALSE(first.ListenError().isEmpty());
}

TEST(SingleInstance, ARunningCopyThatDoesNotAnswerIsReported) {
  TempDir run;
  TempDir home;
  QString dir = QString::fromStdString(run.Path());
  QLockFile held(dir + "/zoqaclient.lock");
  ASSERT_TRUE(held.tryLock(0));
  QLocalServer silent;  // takes connections, never answers
  ASSERT_TRUE(silent.listen(dir + "/zoqaclient.sock"));

  QProcess second;
  second.setProcessEnvironment(ProgramEnvironment(home, dir));
  second.start(ZOQA_GUI_PATH, {});
  ASSERT_TRUE(second.waitForStarted(10000));
  QString errors;
  PumpUntil(
      [&] {
        errors += QString::fromUtf8(second.readAllStandardError());
        return errors.contains(Q("没有响应")) || second.state() == QProcess::NotRunning;
      },
      30000);
  EXPECT_TRUE(errors.contains(Q("没有响应"))) << errors.toStdString();
  second.kill();  // its message box waits for the user
  second.waitForFinished(10000);
}

TEST(SingleInstance, LockOfACopyThatDiedIsTakenOver) {
  TempDir run;
  TSingleInstance probe("zoqaclient", QString::fromStdString(run.Path()));
  // A lock file naming a process that no longer exists on this host.
  QProcess ended;
  ended.start("true", {});
  ASSERT_TRUE(ended.waitForStarted(10000));
  qint64 gone = ended.processId();
  ASSERT_TRUE(ended.waitForFinished(10000));
  WriteFileBytes(
      probe.LockPath().toStdString(),
      std::to_string(gone) + "\nzoqa\n" + QSysInfo::machineHostName().toStdString() + "\n");
  TSingleInstance next("zoqaclient", QString::fromStdString(run.Path()));
  EXPECT_TRUE(next.Acquire());
}

}  // namespace
}  // namespace zoqa::test
