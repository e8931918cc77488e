#include "platform/clipboard.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace zoqa {
namespace {

class CountingClipboard : public TClipboard {
 public:
  void SetText(const std::string& text) override {
    std::lock_guard<std::mutex> lock(mutex);
    last = text;
    ++calls;
  }
  std::mutex mutex;
  std::string last;
  std::atomic<int> calls{0};
};

TEST(ClipboardTest, InstalledInstanceReceivesTextAndNullRestoresTheSilentDefault) {
  ASSERT_NE(Clipboard(), nullptr);
  Clipboard()->SetText("ignored");  // the default drops it

  auto counting = std::make_shared<CountingClipboard>();
  InstallClipboard(counting);
  Clipboard()->SetText("a\tb\r\n");
  EXPECT_EQ(counting->last, "a\tb\r\n");

  InstallClipboard(nullptr);
  Clipboard()->SetText("later");
  EXPECT_EQ(counting->calls, 1);
}

TEST(ClipboardTest, InstallingWhileOtherThreadsUseItIsSafe) {
  auto counting = std::make_shared<CountingClipboard>();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 2000; ++i) {
        if (t == 0) {
          InstallClipboard(i % 2 ? counting : nullptr);
        } else {
          Clipboard()->SetText("x");
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();
  InstallClipboard(nullptr);
  EXPECT_LE(counting->calls, 3 * 2000);
}

}  // namespace
}  // namespace zoqa
