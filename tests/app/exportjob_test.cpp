// The window's export, written on a thread of its own while the main thread keeps storing.
#include "app/exportjob.h"

#include <QCoreApplication>

#include <chrono>
#include <thread>

#include "appfixture.h"
#include "export/exportwriter.h"
#include "store/pgstore.h"
#include "support/silentlistener.h"

namespace zoqa::test {
namespace {

using ExportJob = AppTest;

TEST_F(ExportJob, WritesTheSameFileWhileTheStoreIsWrittenAndStopsCleanly) {
  Open();
  const std::string big = Cp936("大关键词");
  Store().AddKey(big);
  Store().AddKey(Cp936("小"));
  Store().Backend().BeginBatch();
  for (int i = 0; i < 3000; ++i) {
    Store().AddCompany(big, MakeCompany("大关键词", "公司" + std::to_string(i),
                                        "139" + std::to_string(10000000 + i)));
  }
  Store().Backend().CommitBatch();
  TExportFields fields{true, true, true, true, false, true};
  const std::string expected = dir.File("main.txt");
  ASSERT_TRUE(Store().WriteExport(big, expected, fields, TExportFormat::Text));

  bool ended = false;
  bool written = false;
  auto done = [&](bool ok) { ended = true, written = ok; };
  const std::string target = dir.File("job.txt");
  TExportRequest request{big, target, fields, TExportFormat::Text, {}};
  auto job = std::make_unique<TExportJob>(Store().Backend().ReaderOpener(), request, done);
  // A search keeps storing on this thread meanwhile.
  for (int i = 0; i < 20; ++i) {
    Store().AddCompany(Cp936("小"), MakeCompany("小", "新公司" + std::to_string(i),
                                                "1370000000" + std::to_string(i % 10)));
    QCoreApplication::processEvents();
  }
  ASSERT_TRUE(PumpUntil([&] { return ended; }, 60000));
  EXPECT_TRUE(written);
  EXPECT_FALSE(job->Running());
  EXPECT_EQ(ReadFileBytes(target), ReadFileBytes(expected));
  EXPECT_EQ(Store().CountCompanies(Cp936("小")), 20);

  // Destroyed before its first row (the quitting window): the old file stays, nothing reports.
  WriteFileBytes(target, "keep");
  ended = false;
  TSourceOpener slow = [open = Store().Backend().ReaderOpener()](const auto& giveUp) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    return open(giveUp);
  };
  job = std::make_unique<TExportJob>(slow, request, done);
  job.reset();
  QCoreApplication::processEvents();
  EXPECT_FALSE(ended);
  EXPECT_EQ(ReadFileBytes(target), "keep");
}

// Quitting while the team store is still being reached does not wait out connect_timeout.
TEST(ExportJobTeam, QuitWhileTheStoreDoesNotAnswerEndsAtOnce) {
  TSilentListener silent;
  TSourceOpener open = [url = TStoreUrl(silent.StoreUrl() + "?connect_timeout=20")](
                           const std::function<bool()>& giveUp) {
    return std::make_unique<TPgStore>(url, giveUp);
  };
  bool ended = false;
  auto job = std::make_unique<TExportJob>(
      open, TExportRequest{"k", "/nonexistent/x.txt", {}, TExportFormat::Text, {}},
      [&](bool) { ended = true; });
  for (int i = 0; i < 100 && !silent.Pending(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  auto start = std::chrono::steady_clock::now();
  job.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_FALSE(ended);
}

}  // namespace
}  // namespace zoqa::test
