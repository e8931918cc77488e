// The end of the process while a worker still runs after the shut-down wait.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "harvest/net/workerthread.h"
#include "util/codepage.h"

namespace zoqa::test {
namespace {

// Ignores every stop and keeps converting text, as a crawler deep in a huge page does.
class TStubbornWorker : public TWorkerThread {
 public:
  static void Launch() {
    std::shared_ptr<TStubbornWorker> worker(new TStubbornWorker);
    worker->StartThread();
  }

 protected:
  void Execute() override {
    for (;;) Cp936ToUtf8(Cp936("广州 电子公司"));
  }
};

// Ending as main ends would free the code page tables under the worker; the process ends
// with the status given instead, before any global is destroyed.
TEST(WorkerThreadDeathTest, ProcessEndsWithTheStatusWhileAWorkerStillRuns) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        TStubbornWorker::Launch();
        ExitIfWorkersRun(3);
        std::exit(0);
      },
      ::testing::ExitedWithCode(3), "");
}

}  // namespace
}  // namespace zoqa::test
