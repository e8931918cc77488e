#include "harvest/net/storehold.h"

#include <atomic>

namespace zoqa {
namespace {

// The holds on now; several owners (the window's store, a worker) hold independently.
std::atomic<int> g_holds{0};

}  // namespace

TStoreHold::~TStoreHold() {
  Set(false);
}

void TStoreHold::Set(bool on) {
  if (on == on_) return;
  on_ = on;
  g_holds.fetch_add(on ? 1 : -1);
}

bool TStoreHold::Any() {
  return g_holds.load() > 0;
}

}  // namespace zoqa
