// Requests to end the program that come from outside its windows: the signals a session, a
// service manager or a terminal sends at its end (SIGTERM, SIGHUP, SIGINT). A signal handler
// may do next to nothing, so it only writes a byte; the main thread reads it and reports
// EndRequested there, where the program ends in order. One instance at a time.
#pragma once

#include <QObject>
#include <QSocketNotifier>

namespace zoqa {

class TEndSignals : public QObject {
  Q_OBJECT

 public:
  // Installs the handlers; the destructor puts back the default ones.
  explicit TEndSignals(QObject* parent = nullptr);
  ~TEndSignals() override;

 signals:
  void EndRequested();

 private:
  void Drain();

  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace zoqa
