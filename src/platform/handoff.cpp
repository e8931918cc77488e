#include "platform/handoff.h"

#include <QCoreApplication>
#include <QEvent>

#include "platform/tsanhandoff.h"

namespace zoqa {
namespace {

QEvent::Type HandOffType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

// The event is filled on the worker before it is posted; the receiving thread reads it only
// after the acquire, when it runs or destroys it.
class THandOffEvent : public QEvent {
 public:
  explicit THandOffEvent(std::function<void()> call)
      : QEvent(HandOffType()), call_(std::move(call)) {}
  ~THandOffEvent() override { HandOffAcquire(this); }

  void Run() {
    HandOffAcquire(this);
    try {
      call_();
    } catch (...) {
      // A call that fails ends its own handling; the event loop goes on.
    }
  }

 private:
  std::function<void()> call_;
};

}  // namespace

bool THandOffReceiver::event(QEvent* e) {
  // Before anything of the event is read: a hand-off was filled on the worker's thread (an
  // event nobody released makes this a no-op).
  HandOffAcquire(e);
  if (e->type() != HandOffType()) return QObject::event(e);
  static_cast<THandOffEvent*>(e)->Run();
  return true;
}

void HandOff(THandOffReceiver* receiver, std::function<void()> call) {
  auto* event = new THandOffEvent(std::move(call));
  HandOffRelease(event);
  QCoreApplication::postEvent(receiver, event);
}

}  // namespace zoqa
