// Pattern searches on many threads at once: every crawler thread has its own pattern object,
// and hundreds of crawlers run together.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <latch>
#include <string>
#include <thread>
#include <vector>

#include "harvest/text/regexp.h"

namespace zoqa {
namespace {

// The process's reserved address space in KiB, from /proc/self/status.
long long ReservedKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmSize:")) return std::stoll(line.substr(7));
  }
  return -1;
}

// A page of about `bytes` bytes whose one anchor spans all of it.
std::string AnchorPage(std::size_t bytes) {
  std::string filler;
  filler.reserve(bytes);
  while (filler.size() < bytes) filler += "<p>\xE4\xB8\xAD text line</p>\r\n";
  return "<a href=\"http://h/baidu.php?x\">" + filler + "</a>";
}

constexpr char kLazyAnchor[] = "<a[^>]*h/baidu.php?[^>]*>(?:.|[\\r\\n])*?</a>";

TEST(RegExpThreads, TwoHundredThreadsSearchLazySpansAtOnceWithoutLargeReservations) {
  constexpr int kThreads = 200;
  const std::string page = AnchorPage(200 * 1024);
  std::atomic<int> found{0};
  std::latch searched(kThreads + 1), release(1);
  const long long before = ReservedKiB();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      TRegExp re;
      auto anchors = re.FindAllUtf8(kLazyAnchor, page);
      if (anchors.size() == 1 && anchors[0].size() == page.size()) ++found;
      searched.arrive_and_wait();  // every thread alive, with its pattern object, at once
      release.wait();
    });
  }
  searched.arrive_and_wait();
  const long long during = ReservedKiB();
  release.count_down();
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(found, kThreads);
  // Thread stacks take 8 MiB each; a fixed 512 MiB JIT stack per object would add 100 GiB.
  EXPECT_LT(during - before, kThreads * 24LL * 1024) << "KiB reserved by the searching threads";
}

TEST(RegExpThreads, AFreshThreadStillHandlesAFiveMebibyteSpan) {
  const std::string page = AnchorPage(5 << 20);
  std::size_t matched = 0;
  std::thread worker([&] {
    TRegExp re;
    auto anchors = re.FindAllUtf8(kLazyAnchor, page);
    if (anchors.size() == 1) matched = anchors[0].size();
    // The grown stack serves the next search and the next pattern object of the thread.
    TRegExp other;
    EXPECT_EQ(other.FindAllUtf8("<a[^>]*>([\\s\\S]*?)</a>", page).size(), 1u);
  });
  worker.join();
  EXPECT_EQ(matched, page.size());
}

}  // namespace
}  // namespace zoqa
