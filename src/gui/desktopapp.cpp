#include "gui/desktopapp.h"
#include "gui/guitext.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>

#include "gui/artwork.h"
#include "gui/endsignals.h"
#include "gui/mainwindow.h"
#include "gui/singleinstance.h"
#include "gui/stylesheet.h"
#include "gui/widgetmessagebox.h"
#include "harvest/base/enginesettings.h"
#include "harvest/net/proxypool.h"
#include "platform/appdir.h"
#include "service/servicesettings.h"
#include "store/storechoice.h"
#include "store/storefile.h"
#include "util/codepage.h"
#include "util/msgbox.h"

namespace zoqa {
namespace {

constexpr int kWatchOthersMs = 3000;

bool EnvSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

// Installs the widget message box for the program's life.
class TBoxInstall {
 public:
  TBoxInstall() { SetMessageBox(&box_); }
  ~TBoxInstall() { SetMessageBox(nullptr); }

 private:
  TWidgetMessageBox box_;
};

// A running copy holds the lock but did not answer: the user learns why no window opens.
void ReportSilentCopy() {
  const char text[] = "程序已经在运行，但它没有响应。请等它恢复，或结束它后再启动。";
  std::fprintf(stderr, "zoqa: %s\n", text);
  TWidgetMessageBox().Show(Cp936(text), Cp936("提示"), mkWarning);
}

// The window while the event loop runs. A process that ends from inside the loop (the
// windowing system's connection lost: the platform ends the process) shuts it down on the way
// out, so that running tasks still save their pages.
TMainWindow* g_window = nullptr;

void ShutDownAtExit() {
  TMainWindow* window = g_window;
  g_window = nullptr;
  if (window != nullptr) window->ShutDownWithoutDisplay();
}

}  // namespace

bool LoadQtTranslations(QTranslator& translator) {
  return translator.load(QLocale(QLocale::Chinese, QLocale::China), "qtbase", "_",
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

bool DisplayAvailable() {
  return EnvSet("DISPLAY") || EnvSet("WAYLAND_DISPLAY") || EnvSet("QT_QPA_PLATFORM");
}

int RunDesktopApp(int argc, char** argv) {
  QApplication app(argc, argv);
  QStringList args = app.arguments();
  int home = static_cast<int>(args.indexOf("--home"));
  if (home > 0 && home + 1 < args.size()) SetAppDirOverride(args[home + 1].toStdString());

  TSingleInstance instance;
  if (!instance.Acquire()) {
    // Another copy runs: it shows its window, this one ends without one.
    if (!instance.ActivateRunning()) ReportSilentCopy();
    return 0;
  }
  if (!instance.Listening()) {
    std::fprintf(stderr, "zoqa: cannot listen on %s: %s; later starts cannot show this window\n",
                 qPrintable(instance.SocketPath()), qPrintable(instance.ListenError()));
  }

  // The window hides to the tray on close; the program ends only when it closes for good.
  app.setQuitOnLastWindowClosed(false);
  app.setWindowIcon(AppIcon());
  QTranslator qtTexts;
  if (LoadQtTranslations(qtTexts)) app.installTranslator(&qtTexts);
  app.setStyleSheet(AppStyleSheet());
  TBoxInstall box;

  SetEngineSettings(LoadEngineSettings(AppDir() + "zqclient.cfg"));
  // A malformed pool is reported when a search is started, which it keeps from starting.
  InstallProxyPool(*EngineSettings());
  SetServiceSettings(LoadServiceSettings(AppDir() + "zqclient.cfg"));
  std::unique_ptr<TMainWindow> window;
  try {
    // A first start finds no database: make an empty one, so the program opens working.
    if (ChosenStoreUrl().empty()) ProvisionStoreFile();
    window = std::make_unique<TMainWindow>();
    // On the team store, what other machines add appears within a few seconds.
    window->Controller().Store().WatchOthers(kWatchOthersMs);
  } catch (const std::exception& e) {
    ShowMsg(FailureText(e), Cp936("提示"), mkError);
    return 1;
  }
  QObject::connect(&instance, &TSingleInstance::ShowRequested, window.get(),
                   &TMainWindow::ShowMainWindow);
  // The window decided to end: the event loop ends without asking other windows, since an
  // update window that refuses to close would otherwise keep the program running.
  QObject::connect(window.get(), &TMainWindow::Closed, &app, [] { QCoreApplication::exit(0); });
  // The session ending ends the program as the tray's exit does, without the question.
  TEndSignals endSignals;
  QObject::connect(&endSignals, &TEndSignals::EndRequested, window.get(),
                   &TMainWindow::EndWithoutQuestion);
  static const bool atExit = std::atexit(ShutDownAtExit) == 0;
  (void)atExit;
  window->FirstRunSetup();
  window->show();
  g_window = window.get();
  int status = app.exec();
  g_window = nullptr;
  window->ShutDown();
  window.reset();
  return status;
}

}  // namespace zoqa
