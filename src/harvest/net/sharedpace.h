// Pacing shared with other processes that leave through the same egress address: a store
// (the team store) keeps, per egress and engine, when the next result page and the next
// crawler start may go, and until when a verification back-off holds the engine. Every
// machine on that address reserves its slots there, so together they keep the engine's pace.
#pragma once

#include <cstdint>
#include <string>

#include "harvest/base/engine.h"

namespace zoqa {

enum class TPaceKind { Page, Crawl };

class TSharedPace {
 public:
  virtual ~TSharedPace() = default;

  // Reserves the next slot of `kind` on (`egress`, `engine`): the later of the slot before
  // plus `intervalMs`, now, and the end of a back-off (page slots only). Returns the time
  // until it, in milliseconds (0: now); -1 when the store could not be asked.
  virtual std::int64_t Reserve(const std::string& egress, TEngine engine, TPaceKind kind,
                               int intervalMs) = 0;
  // Holds page requests of `engine` on `egress` for everyone for `seconds` from now; a hold
  // that ends later stays.
  virtual void Hold(const std::string& egress, TEngine engine, int seconds) = 0;
  // Milliseconds until the hold on (`egress`, `engine`) ends; 0 when none; -1 on failure.
  virtual std::int64_t HeldForMs(const std::string& egress, TEngine engine) = 0;
};

}  // namespace zoqa
