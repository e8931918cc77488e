#include "platform/mainthreadport.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace zoqa {
namespace {

void EnsureApp() {
  static int argc = 1;
  static char name[] = "test_platform";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

// Pumps the event loop until `done` holds or about two seconds passed.
template <typename F>
bool PumpUntil(F done) {
  auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

TEST(MainThreadPort, PostsAndSendsFromAWorkerRunOnTheOwnersThread) {
  EnsureApp();
  auto port = TMainThreadPort::Create();
  QThread* main = QThread::currentThread();
  std::atomic<int> onMain{0};
  std::atomic<bool> sendReturned{false};
  int sentValue = 0;  // written on the main thread, read by the worker after Send
  std::thread worker([&] {
    port->Post([&] { onMain += QThread::currentThread() == main ? 1 : 0; });
    EXPECT_TRUE(port->Send([&] {
      onMain += QThread::currentThread() == main ? 1 : 0;
      sentValue = 42;
    }));
    EXPECT_EQ(sentValue, 42);  // Send waited for the call
    sendReturned = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return sendReturned.load(); }));
  worker.join();
  EXPECT_EQ(onMain.load(), 2);
  // On the port's own thread a send runs at once instead of waiting for itself.
  bool ran = false;
  EXPECT_TRUE(port->Send([&] { ran = true; }));
  EXPECT_TRUE(ran);
  port->Close();
}

TEST(MainThreadPort, ClosingDropsQueuedCallsAndReleasesWaitingSenders) {
  EnsureApp();
  auto port = TMainThreadPort::Create();
  std::atomic<int> runs{0};
  std::atomic<bool> sendReturned{false};
  std::thread worker([&] {
    port->Post([&] { ++runs; });
    port->Send([&] { ++runs; });
    sendReturned = true;
  });
  // Both calls are queued (the sender waits) before the owner goes.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  port->Close();
  worker.join();
  EXPECT_TRUE(sendReturned.load());
  QCoreApplication::processEvents();
  EXPECT_EQ(runs.load(), 0);
  // Nothing reaches a closed port, and a send reports it.
  port->Post([&] { ++runs; });
  EXPECT_FALSE(port->Send([&] { ++runs; }));
  QCoreApplication::processEvents();
  EXPECT_EQ(runs.load(), 0);
}

TEST(MainThreadPort, ACallMayCloseItsOwnPort) {
  EnsureApp();
  auto port = TMainThreadPort::Create();
  int later = 0;
  bool closed = false;
  std::thread worker([&] {
    port->Post([&] {
      port->Close();
      closed = true;
    });
    port->Post([&] { ++later; });
  });
  worker.join();
  EXPECT_TRUE(PumpUntil([&] { return closed; }));
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(later, 0);
  EXPECT_TRUE(port->Closed());
}

}  // namespace
}  // namespace zoqa
