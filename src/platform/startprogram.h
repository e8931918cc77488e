// Starting another program of the system (the updater, an updated program, a companion
// tool) on its own, detached from this process.
#pragma once

#include <string>

namespace zoqa {

// Starts the program at `path` detached, in the program's own folder, with `arguments`
// split at spaces ("" for none). False when it could not be started.
bool StartProgram(const std::string& path, const std::string& arguments);

}  // namespace zoqa
