#include "gui/endsignals.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace zoqa {
namespace {

const int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
int g_pair[2] = {-1, -1};  // [0] read on the main thread, [1] written by the handler

void OnSignal(int) {
  // The interrupted code may be about to read errno: the handler leaves it as it found it.
  int saved = errno;
  char byte = 1;
  // A full socket already holds a request: nothing is lost by dropping this one.
  ssize_t written = ::write(g_pair[1], &byte, 1);
  (void)written;
  errno = saved;
}

}  // namespace

TEndSignals::TEndSignals(QObject* parent) : QObject(parent) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pair) != 0) return;
  notifier_ = new QSocketNotifier(g_pair[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TEndSignals::Drain);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : kSignals) sigaction(signal, &action, nullptr);
}

TEndSignals::~TEndSignals() {
  for (int signal : kSignals) std::signal(signal, SIG_DFL);
  delete notifier_;
  for (int& fd : g_pair) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

void TEndSignals::Drain() {
  char bytes[16];
  while (::read(g_pair[0], bytes, sizeof bytes) > 0) {
  }
  emit EndRequested();
}

}  // namespace zoqa
