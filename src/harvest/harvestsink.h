// Where harvesters and crawlers report to: an object on the main thread. Reports are blocking
// hand-offs (the worker waits until the main thread has handled them, so the payload needs no
// lock); end notifications are queued. Once the sink is gone nothing reaches it any more, and
// a worker that was waiting for it goes on at once.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "harvest/caijiinfo.h"
#include "harvest/companyinfo.h"

namespace zoqa {

class THandOffReceiver;

// The kinds of harvesting report, with the numbers the window uses for them.
enum THarvestKind { hkCompany = 0, hkStatus = 1, hkPageDone = 2, hkCrawlStatus = 3 };

// One report. Exactly the pointer that belongs to the kind is set; it is valid during the
// handling only.
struct THarvestMessage {
  THarvestKind Kind = hkStatus;
  const TComPanyInfo* Company = nullptr;  // hkCompany: the crawler's record
  const TCaiJiInfo* Info = nullptr;       // hkStatus, hkPageDone: the harvester's progress
  const std::string* Text = nullptr;      // hkCrawlStatus: the crawler's status line
};

class THarvestSink;

// The workers' way to a sink; they keep it as long as they live, the sink may go earlier.
class THarvestLink {
 public:
  // Runs the report on the sink's thread and waits until it was handled (or dropped because
  // the sink went); false when the sink was already gone. Exceptions of the sink stop there.
  bool Send(const THarvestMessage& message);
  // Queues `call` to run on the sink's thread; it is dropped when the sink goes first.
  void Post(std::function<void()> call);
  bool Closed() const { return closed_.load(); }

 private:
  friend class THarvestSink;
  THarvestLink(THarvestSink* sink, THandOffReceiver* receiver);
  void Close();
  void Deliver(const THarvestMessage& message);

  std::mutex mutex_;  // held while posting, so the receiver cannot go in the middle
  std::atomic<bool> closed_{false};
  THarvestSink* sink_;  // read and cleared on the sink's thread only
  THandOffReceiver* receiver_;
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

  const std::shared_ptr<THarvestLink>& Link() const { return link_; }

 protected:
  // Ends all deliveries now; a derived class calls it first thing in its destructor when its
  // handling uses members that go before this base does.
  void CloseLink();

 private:
  std::unique_ptr<THandOffReceiver> receiver_;
  std::shared_ptr<THarvestLink> link_;
};

}  // namespace zoqa
