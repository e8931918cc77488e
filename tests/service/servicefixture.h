// Shared set-up of the download and update tests: a loopback world reached as the proxy, a
// program directory of its own, a main-thread port, and helpers for the stand-in programs.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "harvest/base/enginesettings.h"
#include "harvest/net/workerthread.h"
#include "platform/appdir.h"
#include "platform/mainthreadport.h"
#include "support/harvestrecorder.h"
#include "support/loopbackworld.h"
#include "support/testsupport.h"

namespace zoqa::test {

// A name no other process has: the updater waits for processes by name.
inline std::string UniqueProgramName(const std::string& tag) {
  static std::atomic<int> counter{0};
  return "zqfake-" + std::to_string(getpid()) + "-" + std::to_string(counter.fetch_add(1)) + "-" +
         tag;
}

// Copies a built program to `path`, executable.
inline void CopyProgram(const std::string& from, const std::string& path) {
  std::filesystem::copy_file(from, path, std::filesystem::copy_options::overwrite_existing);
  std::filesystem::permissions(path, std::filesystem::perms(0755));
}

inline bool IsExecutable(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IXUSR) != 0;
}

// Polls (without an event loop) until `done` holds or `timeoutMs` passed.
inline bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= until) return done();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// The marker a stand-in program writes beside itself, once it contains `text`.
inline bool WaitForMarker(const std::string& program, const std::string& text, int timeoutMs) {
  return WaitFor(
      [&] {
        std::error_code ec;
        return std::filesystem::exists(program + ".marker", ec) &&
               ReadFileBytes(program + ".marker").find(text) != std::string::npos;
      },
      timeoutMs);
}

class ServiceTest : public ::testing::Test {
 protected:
  ServiceTest() {
    EnsureHarvestApp();
    port = TMainThreadPort::Create();
    SetAppDirOverride(dir.Path());
    TEngineSettings settings;
    settings.Proxy = world.ProxyAddress();
    SetEngineSettings(settings);
  }

  void TearDown() override {
    world.ReleaseHeld();
    bool ended = TWorkerThread::WaitAllEnded(30000, [] { PumpEvents(); });
    EXPECT_TRUE(ended) << "workers still running at the end of the test";
    PumpEvents(20);
    port->Close();
    SetEngineSettings(TEngineSettings{});
    SetAppDirOverride("");
  }

  std::string AppFile(const std::string& name) const { return dir.File(name); }

  TempDir dir;
  TLoopbackWorld world;
  std::shared_ptr<TMainThreadPort> port;
};

}  // namespace zoqa::test
