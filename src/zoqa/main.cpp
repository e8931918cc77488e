// zoqa: the desktop program.
#include <cstdio>

#include "gui/desktopapp.h"
#include "harvest/net/workerthread.h"
#include "platform/fileversion.h"

ZOQA_EMBED_FILE_VERSION(ZOQA_VERSION_MAJOR, ZOQA_VERSION_MINOR, ZOQA_VERSION_PATCH,
                        ZOQA_VERSION_TWEAK);

int main(int argc, char** argv) {
  if (!zoqa::DisplayAvailable()) {
    std::fputs(
        "zoqa needs a desktop display (DISPLAY or WAYLAND_DISPLAY is not set).\n"
        "Without one, use zoqa-cli (run without arguments it lists its commands), e.g.\n"
        "  zoqa-cli run --max-seconds 600 \"广州 电子公司\"\n"
        "  zoqa-cli export \"广州 电子公司\" companies.txt --format txt\n",
        stderr);
    return 1;
  }
  int status = zoqa::RunDesktopApp(argc, argv);
  zoqa::ExitIfWorkersRun(status);
  return status;
}
