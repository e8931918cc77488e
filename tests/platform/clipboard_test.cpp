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

// Also part of the ThreadSanitizer run, which checks the hand-over between the threads.
TEST(ClipboardTest, InstallingWhileOtherThreadsUseItIsSafe) {
  constexpr int kUsers = 3, kCalls = 2000;
  auto a = std::make_shared<CountingClipboard>();
  auto b = std::make_shared<CountingClipboard>();
  InstallClipboard(a);
  std::vector<std::thread> threads;
  threads.emplace_back([&] {
    for (int i = 0; i < kCalls; ++i) InstallClipboard(i % 2 ? a : b);
  });
  for (int t = 0; t < kUsers; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kCalls; ++i) Clipboard()->SetText("x");
    });
  }
  for (auto& thread : threads) thread.join();
  InstallClipboard(nullptr);
  // Every request reached exactly one of the installed clipboards, whole.
  EXPECT_EQ(a->calls + b->calls, kUsers * kCalls);
  EXPECT_TRUE(a->last == "x" || b->last == "x");
  EXPECT_EQ(a.use_count(), 1);  // the clipboard no longer holds either
  EXPECT_EQ(b.use_count(), 1);
}

}  // namespace
}  // namespace zoqa
