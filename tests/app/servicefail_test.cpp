// The service link's failure path end to end: a program of its own fetches the configuration
// from a service that has nothing to give, retries, tells the user and ends with status 0.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "support/harvestrecorder.h"
#include "support/loopbackworld.h"

namespace zoqa::test {
namespace {

using ::testing::ElementsAre;

const char kFailLine[] = "ShowMsg 提示|获取服务配置信息发生了错误,请联系管理员QQ:10086|1";

struct TRun {
  int exitCode = -1;
  std::vector<std::string> lines;
  qint64 elapsedMs = 0;
};

TRun RunServiceFail(const std::string& proxy) {
  EnsureHarvestApp();
  TRun run;
  QElapsedTimer timer;
  timer.start();
  QProcess process;
  process.start(QString::fromUtf8(ZOQA_SERVICEFAIL_PATH), {QString::fromStdString(proxy)});
  if (!process.waitForFinished(90000)) {
    process.kill();
    process.waitForFinished();
    return run;
  }
  run.elapsedMs = timer.elapsed();
  run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
    if (!line.isEmpty()) run.lines.push_back(line.toStdString());
  }
  return run;
}

TEST(ServiceFailPath, EmptyAnswersGiveFourAttemptsASecondApartThenTheMessage) {
  TLoopbackWorld world;
  world.Route("cfg.zoqa.test", "/soft/kwrt/config.txt", TWorldResponse::Page("", 404));
  TRun run = RunServiceFail(world.ProxyAddress());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_THAT(run.lines, ElementsAre(kFailLine, "EndProcess", "Retries 3"));
  auto log = world.Requests({"cfg.zoqa.test", "/soft/kwrt/config.txt"});
  ASSERT_EQ(log.size(), 4u);
  for (std::size_t i = 1; i < log.size(); ++i) {
    std::int64_t gap = log[i].AtMs - log[i - 1].AtMs;
    EXPECT_GE(gap, 950) << "attempt " << i;
    EXPECT_LT(gap, 5000) << "attempt " << i;
  }
}

// A loopback port that refuses connections: bound, so no other test's server can take it
// meanwhile, but not listening.
class TRefusingPort {
 public:
  TRefusingPort() : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t n = sizeof a;
    if (fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr*>(&a), n) == 0 &&
        getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &n) == 0) {
      port_ = ntohs(a.sin_port);
    }
  }
  ~TRefusingPort() {
    if (fd_ >= 0) close(fd_);
  }
  std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  int fd_;
  int port_ = 0;
};

TEST(ServiceFailPath, UnreachableServiceEndsTheSameWay) {
  TRefusingPort refused;
  TRun run = RunServiceFail(refused.Address());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_THAT(run.lines, ElementsAre(kFailLine, "EndProcess", "Retries 3"));
  EXPECT_GE(run.elapsedMs, 2850);  // three one-second waits, less timer rounding
}

}  // namespace
}  // namespace zoqa::test
