// Ctrl-C and SIGTERM for the long-running commands (run, worker): the first asks for an
// orderly stop, which the command's loop notices; a second one ends the process at once.
#pragma once

namespace zoqa::cli {

// Installs the handlers for SIGINT and SIGTERM.
void CatchStopSignals();
// True once a stop signal came.
bool StopAsked();

}  // namespace zoqa::cli
