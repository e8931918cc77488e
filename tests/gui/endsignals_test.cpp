// The end-signal handler leaves errno as the interrupted code had it, also when its write
// fails because signals that were not yet read have filled its socket.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

#include "gui/endsignals.h"

namespace zoqa::test {
namespace {

TEST(EndSignals, TheHandlerKeepsErrno) {
  TEndSignals ends;
  // Nothing reads the socket here: after a few hundred signals every write fails.
  for (int i = 0; i < 5000; ++i) {
    errno = EDOM;
    std::raise(SIGHUP);
    ASSERT_EQ(errno, EDOM) << "signal " << i;
  }
}

}  // namespace
}  // namespace zoqa::test
