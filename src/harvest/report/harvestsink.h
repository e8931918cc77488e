// Where harvesters and crawlers report to: an object on the main thread. Reports are blocking
// hand-offs (the worker waits until the main thread has handled them, so the payload needs no
// lock); end notifications are queued. Once the sink is gone nothing reaches it any more, and
// a worker that was waiting for it goes on at once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "harvest/report/company.h"
#include "harvest/report/harvestprogress.h"
#include "platform/mainthreadport.h"

namespace zoqa {

// The kinds of harvesting report, with the numbers the window uses for them.
enum THarvestKind { hkCompany = 0, hkStatus = 1, hkPageDone = 2, hkCrawlStatus = 3 };

// One report. Exactly the pointer that belongs to the kind is set; it is valid during the
// handling only.
struct THarvestMessage {
  THarvestKind Kind = hkStatus;
  const TCompany* Company = nullptr;       // hkCompany: the crawler's record
  const THarvestProgress* Info = nullptr;  // hkStatus, hkPageDone: the harvester's progress
  const std::string* Text = nullptr;       // hkCrawlStatus: the crawler's status line
  // The task whose harvester or crawler sent the report, as the link it came by names it;
  // 0 for a link that belongs to no task.
  std::uint64_t Task = 0;
};

class THarvestSink;

// The workers' way to a sink; they keep it as long as they live, the sink may go earlier.
// Every link of a sink goes through the sink's one main-thread port.
class THarvestLink {
 public:
  THarvestLink(std::shared_ptr<TMainThreadPort> port, THarvestSink* sink, std::uint64_t task);

  // Runs the report on the sink's thread, marked with the link's task, and waits until it was
  // handled (or dropped because the sink went); false when the sink was already gone.
  // Exceptions of the sink stop there.
  bool Send(const THarvestMessage& message);
  // The sink's port, for end notifications and other posted calls.
  TMainThreadPort& Port() { return *port_; }

 private:
  std::shared_ptr<TMainThreadPort> port_;
  THarvestSink* sink_;  // used on the port's thread only, where the open port keeps it alive
  std::uint64_t task_;
};

// Implemented by the receiver of harvesting reports (the main window's controller, tests).
// Create and destroy it on the thread that is to handle the reports, which runs a Qt event
// loop.
class THarvestSink {
 public:
  THarvestSink();
  virtual ~THarvestSink();
  THarvestSink(const THarvestSink&) = delete;
  THarvestSink& operator=(const THarvestSink&) = delete;

  // Handles one report on the sink's thread.
  virtual void HarvestMessage(const THarvestMessage& message) = 0;

  // The link of reports that belong to no task.
  const std::shared_ptr<THarvestLink>& Link() const { return link_; }
  // A link whose reports carry `task`, so the sink can tell whose they are.
  std::shared_ptr<THarvestLink> TaskLink(std::uint64_t task);

 protected:
  // Ends all deliveries now; a derived class calls it first thing in its destructor when its
  // handling uses members that go before this base does.
  void CloseLink();

 private:
  std::shared_ptr<TMainThreadPort> port_;
  std::shared_ptr<THarvestLink> link_;
};

}  // namespace zoqa
