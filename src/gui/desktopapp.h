// The desktop program from start to end: one running copy per user, the program directory
// made ready (settings, empty database), the main window, the event loop, and an orderly end
// that stops every worker before the store closes.
#pragma once

class QTranslator;

namespace zoqa {

// Runs the program; the exit status. Options: --home DIR (the program directory).
int RunDesktopApp(int argc, char** argv);

// Loads Qt's own Chinese texts (its dialogs: the save dialog above all) into `translator`;
// false when the translations are not installed.
bool LoadQtTranslations(QTranslator& translator);

// True when a windowing system can be reached (a display, a Wayland socket, or a Qt platform
// chosen explicitly).
bool DisplayAvailable();

}  // namespace zoqa
