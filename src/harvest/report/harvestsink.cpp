#include "harvest/report/harvestsink.h"

namespace zoqa {

THarvestLink::THarvestLink(std::shared_ptr<TMainThreadPort> port, THarvestSink* sink,
                           std::uint64_t task)
    : port_(std::move(port)), sink_(sink), task_(task) {}

bool THarvestLink::Send(const THarvestMessage& message) {
  // The sender waits until the call ran or was dropped, so the message outlives it.
  return port_->Send([this, &message] {
    THarvestMessage marked = message;
    marked.Task = task_;
    sink_->HarvestMessage(marked);
  });
}

THarvestSink::THarvestSink()
    : port_(TMainThreadPort::Create()), link_(std::make_shared<THarvestLink>(port_, this, 0)) {}

THarvestSink::~THarvestSink() {
  CloseLink();
}

std::shared_ptr<THarvestLink> THarvestSink::TaskLink(std::uint64_t task) {
  return std::make_shared<THarvestLink>(port_, this, task);
}

void THarvestSink::CloseLink() {
  port_->Close();
}

}  // namespace zoqa
