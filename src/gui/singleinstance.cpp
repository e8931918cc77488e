#include "gui/singleinstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <unistd.h>

namespace zoqa {
namespace {

const QByteArray kShow = "show\n";
const QByteArray kShown = "shown\n";

}  // namespace

TSingleInstance::TSingleInstance(const QString& name, const QString& dir, QObject* parent)
    : QObject(parent), name_(name), dir_(dir) {
  if (dir_.isEmpty()) dir_ = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  // Without a runtime directory, a folder of this user's own: the shared temporary folder
  // may hold another user's lock and socket of the same name.
  if (dir_.isEmpty()) dir_ = QDir::tempPath() + "/zoqa-" + QString::number(::getuid());
  QDir().mkpath(dir_);
  connect(&server_, &QLocalServer::newConnection, this, &TSingleInstance::Accept);
}

TSingleInstance::~TSingleInstance() {
  server_.close();
}

bool TSingleInstance::Acquire() {
  lock_ = std::make_unique<QLockFile>(LockPath());
  // A lock left by a copy that died is taken over; a live holder's lock never goes stale.
  lock_->setStaleLockTime(0);
  if (!lock_->tryLock(0)) {
    lock_.reset();
    return false;
  }
  QLocalServer::removeServer(SocketPath());
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_.listen(SocketPath())) listenError_ = server_.errorString();
  return true;
}

void TSingleInstance::Accept() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      if (!socket->canReadLine()) return;
      QByteArray line = socket->readLine();
      if (line == kShow) {
        emit ShowRequested();
        socket->write(kShown);
        socket->flush();
      }
      socket->disconnectFromServer();
    });
  }
}

bool TSingleInstance::ActivateRunning(int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (!deadline.hasExpired()) {
    QLocalSocket socket;
    socket.connectToServer(SocketPath());
    if (socket.waitForConnected(500)) {
      socket.write(kShow);
      socket.waitForBytesWritten(1000);
      int left = static_cast<int>(std::max<qint64>(100, deadline.remainingTime()));
      while (!socket.canReadLine() && socket.waitForReadyRead(left)) {
      }
      return socket.canReadLine() && socket.readLine() == kShown;
    }
    QThread::msleep(100);
  }
  return false;
}

}  // namespace zoqa
