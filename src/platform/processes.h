// Ending processes by executable name or by id.
#pragma once

#include <sys/types.h>
#include <string>

namespace zoqa {

// Ends (SIGKILL) every process whose executable's file name or full path equals `name`,
// ignoring the case of ASCII letters; the calling process is not spared. The result is the
// outcome of the last attempt, false when no process matched.
bool KillProcessByName(const std::string& name);

// True when a live process other than the calling one has an executable whose file name or
// full path equals `name`, ignoring the case of ASCII letters; processes that have ended but
// were not yet collected by their parent do not count.
bool ProcessRunning(const std::string& name);

// Ends the process with the id; false when there is none or it cannot be ended.
bool KillProcessById(pid_t id);

}  // namespace zoqa
