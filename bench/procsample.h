// What the bench programs read of a running process from /proc.
#pragma once

#include <sys/types.h>

#include <fstream>
#include <string>

namespace zoqa::bench {

// "Threads:" and "VmRSS:" (KiB) of process `pid`; false when it is gone.
inline bool Sample(pid_t pid, long& threads, long& rssKiB) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string key;
  threads = rssKiB = -1;
  while (status >> key) {
    if (key == "Threads:") status >> threads;
    if (key == "VmRSS:") status >> rssKiB;
    status.ignore(1 << 12, '\n');
  }
  return threads >= 0;
}

}  // namespace zoqa::bench
