// Downloads against the loopback world: progress, CRC check, unpacking, starting the
// program, stops and failures.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <vector>

#include "service/downloadthread.h"
#include "service/filecrc.h"
#include "service/servicesettings.h"
#include "servicefixture.h"
#include "support/zipbuilder.h"

namespace zoqa::test {
namespace {

namespace fs = std::filesystem;

TEST(DownloadProgressTest, RoundsToNearestWithTiesToEvenAndNeedsATotal) {
  EXPECT_EQ(ProgressPercent(500, 1000), 50);
  EXPECT_EQ(ProgressPercent(1, 3), 33);
  EXPECT_EQ(ProgressPercent(2, 3), 67);
  EXPECT_EQ(ProgressPercent(1, 8), 12);   // 12.5
  EXPECT_EQ(ProgressPercent(3, 8), 38);   // 37.5
  EXPECT_EQ(ProgressPercent(5, 8), 62);   // 62.5
  EXPECT_EQ(ProgressPercent(1, 200), 0);  // 0.5
  EXPECT_EQ(ProgressPercent(3, 200), 2);  // 1.5
  EXPECT_EQ(ProgressPercent(1000, 1000), 100);
  EXPECT_EQ(ProgressPercent(1500, 1000), 100);  // more than announced
  EXPECT_EQ(ProgressPercent(0, 1000), 0);
  EXPECT_EQ(ProgressPercent(500, 0), -1);  // no total: no report, no division
  EXPECT_EQ(ProgressPercent(500, -1), -1);
  EXPECT_EQ(ProgressPercent(std::int64_t{1} << 62, (std::int64_t{1} << 62) + 1), 100);
}

TEST(DownloadProgramTest, RunsTheExeOrTheSamePathWithoutExtension) {
  TempDir dir;
  EXPECT_EQ(ProgramToRun(dir.File("tool.zip")), dir.File("tool.exe"));  // neither exists
  WriteFileBytes(dir.File("tool"), "program");
  EXPECT_EQ(ProgramToRun(dir.File("tool.zip")), dir.File("tool"));
  WriteFileBytes(dir.File("tool.exe"), "program");
  EXPECT_EQ(ProgramToRun(dir.File("tool.zip")), dir.File("tool.exe"));
}

class DownloadTest : public ServiceTest {
 protected:
  struct TMessage {
    int Code;
    int WParam;
    std::int64_t LParam;
  };

  // Starts a download and waits for its completion on the main thread.
  TDownloadStatus Run(TDownloadRequest request, bool terminateAtOnce = false) {
    done.reset();
    request.MessageCode = 3044;
    auto d = TDownloadThread::Start(
        request, port,
        [this](int code, int wParam, std::int64_t lParam) {
          messages.push_back({code, wParam, lParam});
        },
        [this](TDownloadStatus s) { done = s; });
    if (terminateAtOnce) d->Terminate();
    d.reset();
    EXPECT_TRUE(PumpUntil([this] { return done.has_value(); }, 30000));
    return done.value_or(dsNotDone);
  }

  TDownloadRequest To(const std::string& url, const std::string& file) const {
    TDownloadRequest r;
    r.Url = url;
    r.TargetFile = AppFile(file);
    return r;
  }

  std::vector<TMessage> messages;
  std::optional<TDownloadStatus> done;
};

TEST_F(DownloadTest, WritesTheBodyFollowingRedirectsWithProgress) {
  std::string body(300000, 'b');
  world.Route("dl.zoqa.test", "/old.bin", TWorldResponse::Redirect("http://cdn.zoqa.test/f.bin"));
  world.Route("cdn.zoqa.test", "/f.bin", TWorldResponse::Page(body));
  WriteFileBytes(AppFile("f.bin"), "stale file to be replaced");
  EXPECT_EQ(Run(To("HTTP://dl.zoqa.test/old.bin", "f.bin")), dsDone);
  EXPECT_EQ(ReadFileBytes(AppFile("f.bin")), body);
  EXPECT_FALSE(fs::exists(AppFile("f.bin.part")));

  auto log = world.Requests({"cdn.zoqa.test", "/f.bin"});
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].UserAgent, "Mozilla/3.0 (compatible; Indy Library)");
  ASSERT_FALSE(messages.empty());
  for (std::size_t i = 0; i < messages.size(); ++i) {
    EXPECT_EQ(messages[i].Code, 3044);
    EXPECT_EQ(messages[i].WParam, 2);
    if (i > 0) {
      EXPECT_GT(messages[i].LParam, messages[i - 1].LParam);
    }
  }
  EXPECT_EQ(messages.back().LParam, 100);
}

TEST_F(DownloadTest, RefusesOtherSchemesAndFailsOnHttpErrors) {
  world.Route("dl.zoqa.test", "/gone.bin", TWorldResponse::Page("not here", 404));
  world.Route("dl.zoqa.test", "/x.bin", TWorldResponse::Page("plain"));
  for (const char* url : {"", "ftp://dl.zoqa.test/x.bin", "file:///etc/hostname",
                          "dl.zoqa.test/x.bin", "http:/dl.zoqa.test/gone.bin"}) {
    EXPECT_EQ(Run(To(url, "x.bin")), dsNotDone) << url;
  }
  // With RequireHttps a plain-http address is refused before any request.
  TServiceSettings httpsOnly;
  httpsOnly.RequireHttps = true;
  SetServiceSettings(httpsOnly);
  EXPECT_EQ(Run(To("http://dl.zoqa.test/x.bin", "x.bin")), dsNotDone);
  SetServiceSettings(TServiceSettings{});
  EXPECT_EQ(world.Count(), 0);
  EXPECT_EQ(Run(To("http://dl.zoqa.test/gone.bin", "gone.bin")), dsNotDone);
  EXPECT_FALSE(fs::exists(AppFile("gone.bin")));
}

TEST_F(DownloadTest, ChecksTheCrcOnlyWhenOneIsGiven) {
  world.Route("dl.zoqa.test", "/p.zip", TWorldResponse::Page("package bytes"));
  WriteFileBytes(AppFile("expected"), "package bytes");
  const std::uint32_t crc = FileCrc32(AppFile("expected"));

  TDownloadRequest r = To("http://dl.zoqa.test/p.zip", "p.zip");
  EXPECT_EQ(Run(r), dsDone);  // CRC 0: unchecked
  r.ExpectedCrc = crc;
  EXPECT_EQ(Run(r), dsDone);
  r.ExpectedCrc = crc ^ 1;
  EXPECT_EQ(Run(r), dsCrcMismatch);
  EXPECT_EQ(ReadFileBytes(AppFile("p.zip")), "package bytes");  // left for inspection
}

TEST_F(DownloadTest, UnpacksIntoTheTargetFolderAndDeletesTheArchive) {
  TZipBuilder zip;
  zip.File("tool/readme.txt", "read me").File("tool/run", "#!/bin/sh\n", 0755);
  world.Route("dl.zoqa.test", "/t.zip", TWorldResponse::Page(zip.Bytes()));
  fs::create_directories(AppFile("tools"));
  TDownloadRequest r = To("http://dl.zoqa.test/t.zip", "tools/t.zip");
  r.Unpack = true;
  EXPECT_EQ(Run(r), dsDone);
  EXPECT_EQ(ReadFileBytes(AppFile("tools/tool/readme.txt")), "read me");
  EXPECT_TRUE(IsExecutable(AppFile("tools/tool/run")));
  EXPECT_FALSE(fs::exists(AppFile("tools/t.zip")));

  // Not a zip, or an archive that is refused: status 0, the archive stays.
  world.Route("dl.zoqa.test", "/bad.zip", TWorldResponse::Page("<html>error page</html>"));
  r = To("http://dl.zoqa.test/bad.zip", "bad.zip");
  r.Unpack = true;
  EXPECT_EQ(Run(r), dsNotDone);
  EXPECT_TRUE(fs::exists(AppFile("bad.zip")));
  TZipBuilder evil;
  evil.File("../escaped.txt", "bad");
  world.Route("dl.zoqa.test", "/evil.zip", TWorldResponse::Page(evil.Bytes()));
  r = To("http://dl.zoqa.test/evil.zip", "evil.zip");
  r.Unpack = true;
  EXPECT_EQ(Run(r), dsNotDone);
  EXPECT_FALSE(fs::exists(fs::path(dir.Path()).parent_path() / "escaped.txt"));
}

TEST_F(DownloadTest, StartsTheUnpackedProgramWithItsArguments) {
  const std::string name = UniqueProgramName("tool");
  TZipBuilder zip;
  zip.File(name, ReadFileBytes(ZOQA_FAKE_NEW_PATH), 0755);
  world.Route("dl.zoqa.test", "/tool.zip", TWorldResponse::Page(zip.Bytes()));
  TDownloadRequest r = To("http://dl.zoqa.test/tool.zip", name + ".zip");
  r.Unpack = true;
  r.Run = true;
  r.Arguments = "-uABC123 second";
  EXPECT_EQ(Run(r), dsDone);
  // The archive holds the program without ".exe", so that one is started.
  EXPECT_TRUE(WaitForMarker(AppFile(name), "-uABC123 second", 10000));
  EXPECT_EQ(ReadFileBytes(AppFile(name) + ".marker"),
            "new " + AppFile(name) + " -uABC123 second\n");
}

TEST_F(DownloadTest, AStopBeforeTheBodyArrivedWritesNothing) {
  TWorldResponse slow = TWorldResponse::Page("late body");
  slow.DelayMs = 10000;
  world.Route("dl.zoqa.test", "/slow.bin", slow);
  auto started = SteadyMs();
  EXPECT_EQ(Run(To("http://dl.zoqa.test/slow.bin", "slow.bin"), true), dsNotDone);
  EXPECT_LT(SteadyMs() - started, 6000);  // the transfer was cut short
  EXPECT_FALSE(fs::exists(AppFile("slow.bin")));
}

TEST_F(DownloadTest, AnEndlessBodyEndsWithAProcessWideStop) {
  TWorldResponse endless;
  endless.Endless = true;
  world.Route("dl.zoqa.test", "/endless", endless);
  auto d = TDownloadThread::Start(To("http://dl.zoqa.test/endless", "endless.bin"), port, {},
                                  [this](TDownloadStatus s) { done = s; });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  StopAllWorkers();
  EXPECT_TRUE(PumpUntil([this] { return done.has_value(); }, 10000));
  EXPECT_EQ(done.value_or(dsDone), dsNotDone);
  EXPECT_FALSE(fs::exists(AppFile("endless.bin")));
}

}  // namespace
}  // namespace zoqa::test
