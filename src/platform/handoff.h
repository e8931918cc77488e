// Hand-offs from worker threads to an object on another thread (the main thread): a call is
// queued as an event for the receiver and runs on the receiver's thread. Every hand-off also
// tells ThreadSanitizer that what the worker wrote before is visible to the call.
#pragma once

#include <functional>

#include <QObject>

namespace zoqa {

// Receives hand-offs on the thread it lives on. When it is destroyed, calls still queued for
// it are destroyed unrun, on its thread.
class THandOffReceiver : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool event(QEvent* e) override;
};

// Queues `call` for `receiver`'s thread. The caller must know the receiver still exists.
void HandOff(THandOffReceiver* receiver, std::function<void()> call);

}  // namespace zoqa
