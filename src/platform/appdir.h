// The program directory, where every file of the system lives (settings, database, updates,
// companion tools), and the executable's own name.
#pragma once

#include <string>

namespace zoqa {

// The program directory with a trailing "/": the directory given to SetAppDirOverride, else
// the ZOQA_HOME environment variable, else the executable's directory when it is writable,
// else the per-user data directory. Paths are in the file system's encoding (UTF-8).
std::string AppDir();

// True when the program directory was given (SetAppDirOverride or ZOQA_HOME) rather than
// found: whatever starts the program again must give it too.
bool AppDirGiven();

// The file name part of the executable's full path.
std::string AppExeName();

// The executable's full path ("/proc/self/exe" resolved).
std::string AppExePath();

// The executable's own folder with a trailing "/", whatever the program directory is: the
// updater and the update files live there, since an update replaces the executable.
std::string AppExeDir();

// True when the calling user may create and replace files in `dir`.
bool FolderWritable(const std::string& dir);

// Makes AppDir() answer `dir` from now on (the --home option). An empty text removes it.
void SetAppDirOverride(const std::string& dir);

}  // namespace zoqa
