// The widget tests' main: a QApplication on the offscreen platform, in a home of its own so
// that launchers, user settings and the runtime lock never touch the real user's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>

#include "gui/stylesheet.h"

int main(int argc, char** argv) {
  QTemporaryDir home;
  QString root = home.path();
  for (const char* dir : {"/Desktop", "/.config", "/.local/share", "/run"}) {
    QDir().mkpath(root + dir);
  }
  QFile::setPermissions(root + "/run",
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  setenv("HOME", qPrintable(root), 1);
  setenv("XDG_CONFIG_HOME", qPrintable(root + "/.config"), 1);
  setenv("XDG_DATA_HOME", qPrintable(root + "/.local/share"), 1);
  setenv("XDG_RUNTIME_DIR", qPrintable(root + "/run"), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  unsetenv("http_proxy");
  unsetenv("HTTP_PROXY");

  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  app.setStyleSheet(zoqa::AppStyleSheet());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
