// The maker's companion tools: a fixed table of five tools, where each one is installed,
// whether a copy runs, and the launch that brings a running copy forward, starts an installed
// one or offers to install it. The tools are separate programs; each, like this program,
// records its executable's path in the per-user settings store vemaraki/<code>, value
// "install", and a running copy listens on a local socket named after its window class.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zoqa {

inline constexpr int kToolCount = 5;
// Key of the launch token.
inline constexpr char kLaunchKey[] = "qmv3k8rtw";

struct TCompanionTool {
  const char* Code;         // settings-store application name; rows 2 to 4: archive name
  const char* DisplayName;  // UTF-8: folder, archive and executable name, button caption
  const char* WindowClass;  // name of the running copy's socket; rows 0 to 2 share one
  bool HasButton;
};

// Row `t` (0 to 4) of the table.
const TCompanionTool& CompanionTool(int t);
// The rows that have a button, left to right.
std::vector<int> ToolButtonRows();
// The display name in code page 936 (for texts shown to the user).
std::string ToolDisplayName(int t);

// Where row `t` is downloaded from: rows 0 and 1 the configured URLs (`firstUrl`,
// `secondUrl`, empty until a configuration document supplied them), the others the archive
// named after the code on the service host.
std::string ToolDownloadUrl(int t, const std::string& firstUrl, const std::string& secondUrl);

// The launch token: the two user-identity texts (both empty here) joined by "|", enciphered.
std::string LaunchToken();
// The single command-line argument handed to a tool: "-u" + token.
std::string LaunchArguments();

// Paths in the file system's encoding. The tool's folder under the program directory (no
// trailing delimiter), its default executable, and the path its settings-store entry names
// ("" when none).
std::string ToolFolder(int t);
std::string ToolDefaultPath(int t);
std::string ToolRecordedPath(int t);
// The executable to start: the recorded path when that file exists, else the default path,
// else the default path without ".exe" (how the tools are named on this system); "" when
// none of them exists.
std::string ToolPath(int t);

// The local socket of a running copy of row `t`, in the user's runtime directory.
std::string ToolSocketPath(int t);

// Asks a running copy of row `t` to show its main window ("showmain 1 <t>"). Rows 3 and 4
// count as running once their socket accepts the request; rows 0 to 2 share one socket and
// count only when the copy answers with `t`. Waits at most about `timeoutMs`.
bool BringToolForward(int t, int timeoutMs = 1500);

// What a launch did.
enum TLaunchOutcome { loBroughtForward, loStarted, loPrompted };

// How a launch starts a program and opens the install prompt; replaced in tests.
struct TLaunchHooks {
  std::function<bool(const std::string& path, const std::string& arguments)> Start;
  std::function<void(int t, const std::string& arguments)> OpenPrompt;
};

// The tool button's action: bring a running copy forward; otherwise start the installed
// executable with the launch arguments; otherwise open the install prompt.
TLaunchOutcome LaunchTool(int t, const TLaunchHooks& hooks);

}  // namespace zoqa
