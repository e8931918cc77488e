// A loopback TCP port that takes connections (the kernel completes them) but never accepts or
// answers them: a client connecting there waits for the server's first reply until it gives
// up, as with a server that hangs.
#pragma once

#include <string>

namespace zoqa::test {

class TSilentListener {
 public:
  TSilentListener();
  ~TSilentListener();
  TSilentListener(const TSilentListener&) = delete;
  TSilentListener& operator=(const TSilentListener&) = delete;

  int Port() const { return port_; }
  // A postgresql:// URL of the port, with a password that must never show in a message.
  std::string StoreUrl() const;
  // True when a connection waits in the backlog (a client is connecting).
  bool Pending() const;

 private:
  int socket_ = -1;
  int port_ = 0;
};

}  // namespace zoqa::test
