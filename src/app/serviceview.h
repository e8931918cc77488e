// What the service-configuration logic needs from the main window: its message box, the
// update window and installer, its timers and the end of the process. The desktop program
// implements it with the main window; tests with a recorder. Texts are code page 936.
#pragma once

#include <memory>
#include <string>

#include "service/updateinfo.h"

namespace zoqa {

class TServiceView {
 public:
  virtual ~TServiceView() = default;

  // The system's message box (kinds and answers of ShowMsg); returns once it was closed.
  virtual int ShowMsg(const std::string& text, const std::string& caption, int kind) = 0;

  // Opens the update progress window, not modal (the update window message with code 1).
  virtual void OpenUpdateWindow() = 0;
  // Hands the offer to a new update installer, which owns it from now on and starts at once.
  virtual void StartUpdate(std::unique_ptr<TUpdateInfo> info) = 0;

  // Shows a line in the status bar (an update that cannot be installed says so there).
  virtual void SetStatusBar(const std::string& text) = 0;

  // Stops the periodic version check's timer if it is running; a check already started
  // goes on.
  virtual void StopVersionCheck() = 0;

  // Arms the deferred start-up timer (1000 ms, fires once), which opens the service notice.
  // Arming it again while it runs starts its interval anew.
  virtual void ArmDeferredStartup() = 0;

  // Ends the program after the configuration could not be fetched: the desktop shuts down
  // as it does on exit and the process ends with status 0. May return before it has ended.
  virtual void EndProcess() = 0;
};

}  // namespace zoqa
