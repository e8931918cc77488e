// Ending processes by executable name or by id.
#pragma once

#include <sys/types.h>
#include <string>

namespace zoqa {

// Ends (SIGKILL) every process whose executable's file name or full path equals `name`,
// ignoring the case of ASCII letters; the calling process is not spared. The result is the
// outcome of the last attempt, false when no process matched.
bool KillProcessByName(const std::string& name);

// Ends (SIGKILL) every process of this user, other than the calling one, that runs the
// executable file at `path`: the path the kernel reports for the process, which has every link
// resolved, must equal `path` (a file replaced since still counts). Nothing else is consulted,
// so a link named like the file, a program of the same name elsewhere and another user's copy
// are left alone. Returns how many were ended.
int KillProcessesOf(const std::string& path);

// True when a live process of this user other than the calling one has an executable whose
// file name or full path equals `name`, ignoring the case of ASCII letters; processes that
// have ended but were not yet collected by their parent do not count.
bool ProcessRunning(const std::string& name);

// Ends the process with the id; false when there is none or it cannot be ended.
bool KillProcessById(pid_t id);

}  // namespace zoqa
