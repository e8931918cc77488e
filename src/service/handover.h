// What the program leaves for the updater when it hands over: the note naming its own
// executable, and the start of the updater itself.
#pragma once

#include <string>

namespace zoqa {

// Writes "uplog.txt" in `dir`: one line with the file name of `exeName` (any path dropped),
// ended by CR LF. False when it cannot be written.
bool WriteUpLog(const std::string& dir, const std::string& exeName);

// The executable name "uplog.txt" in `dir` names; "" when the file is missing or empty.
std::string ReadUpLog(const std::string& dir);

// Starts "update.exe" in `dir` detached, without arguments. False when it could not start.
bool StartUpdater(const std::string& dir);

}  // namespace zoqa
