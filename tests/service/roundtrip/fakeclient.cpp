// A stand-in for an installed program in the update tests: appends a line to "<its own
// path>.marker" naming its variant, how it was called and its arguments, then sleeps for
// the milliseconds its first argument gives, if that is a number.
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "platform/fileversion.h"

ZOQA_EMBED_FILE_VERSION(2, FAKE_MINOR, 0, 7);

int main(int argc, char** argv) {
  char exe[4096] = {};
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return 1;
  {
    std::ofstream marker(std::string(exe, static_cast<std::size_t>(n)) + ".marker", std::ios::app);
    marker << FAKE_VARIANT << " " << argv[0];
    for (int i = 1; i < argc; ++i) marker << " " << argv[i];
    marker << "\n";
  }
  if (argc > 1) {
    char* end = nullptr;
    long ms = std::strtol(argv[1], &end, 10);
    if (*end == '\0' && ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
  return 0;
}
