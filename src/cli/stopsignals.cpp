#include "cli/stopsignals.h"

#include <unistd.h>

#include <atomic>
#include <csignal>

namespace zoqa::cli {
namespace {

std::atomic<int> g_signals{0};

void OnSignal(int) {
  if (g_signals.fetch_add(1) >= 1) _exit(130);
}

}  // namespace

void CatchStopSignals() {
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
}

bool StopAsked() {
  return g_signals.load() > 0;
}

}  // namespace zoqa::cli
