// One running copy per user: the first start takes a lock file in the user's runtime
// directory and listens on a local socket beside it; a later start finds the lock taken,
// asks the running copy over the socket to show its main window, and ends.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

namespace zoqa {

class TSingleInstance : public QObject {
  Q_OBJECT

 public:
  // `dir` holds the lock and the socket; empty: the user's runtime directory.
  explicit TSingleInstance(const QString& name = QStringLiteral("zoqaclient"),
                           const QString& dir = {}, QObject* parent = nullptr);
  ~TSingleInstance() override;

  // True when this process is now the running copy: it holds the lock, and listens unless
  // Listening() says otherwise (later starts then cannot reach it).
  bool Acquire();
  // True once Acquire listens; ListenError() tells why it does not.
  bool Listening() const { return server_.isListening(); }
  QString ListenError() const { return listenError_; }
  // Asks the running copy to show its window; true once it answered. Tries for `timeoutMs`,
  // since the running copy may still be starting.
  bool ActivateRunning(int timeoutMs = 5000);

  QString LockPath() const { return dir_ + "/" + name_ + ".lock"; }
  QString SocketPath() const { return dir_ + "/" + name_ + ".sock"; }

 signals:
  // A later start asked for the main window.
  void ShowRequested();

 private:
  void Accept();

  QString name_;
  QString dir_;
  QString listenError_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer server_;
};

}  // namespace zoqa
