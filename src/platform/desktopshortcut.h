// Freedesktop launchers: the program's entry on the user's desktop and in the applications
// menu. A launcher is a ".desktop" file naming the executable, its working directory, a
// name and a comment.
#pragma once

#include <string>

namespace zoqa {

// The user's desktop folder with a trailing "/" (XDG user directories, else ~/Desktop), or ""
// when it does not exist.
std::string DesktopFolder();

// The user's applications folder of the menu ($XDG_DATA_HOME/applications/, made when missing).
std::string ApplicationsFolder();

// Writes the launcher `linkFile` for `target` started with `arguments` (one text in the Exec
// form, each argument quoted with DesktopExecQuote, appended after the quoted target), working
// directory the target's directory, Name and Comment `description`, and Icon `icon` when not empty.
// Does nothing unless `linkFile` ends with
// ".desktop" (any letter case). Raises std::runtime_error when the file cannot be written.
void CreateShortcut(const std::string& target, const std::string& arguments,
                    const std::string& linkFile, const std::string& description,
                    const std::string& icon = {});

// The Exec= value of a launcher for `path`: quoted and escaped as the Desktop Entry format
// wants it.
std::string DesktopExecQuote(const std::string& path);

}  // namespace zoqa
