// The per-user record of where the program is installed: value "install" of the settings
// store vemaraki/zoqa (an ini file under the user's configuration directory).
#pragma once

#include <string>

namespace zoqa {

// Writes `exePath` as "install" unless it already holds exactly that. Failures are ignored.
void SaveInstallPath(const std::string& exePath);

// The recorded path, "" when there is none.
std::string InstallPath();

}  // namespace zoqa
