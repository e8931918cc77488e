// Shared set-up of the widget tests: a program directory with a provisioned store, a message
// box that records what it shows and answers from a script, a loopback server that every
// search request reaches as its proxy (it answers with a page that is no result page, so a
// harvester keeps asking until it is stopped), and the main window.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <deque>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "gui/keyitemwidget.h"
#include "gui/keywordpanel.h"
#include "gui/mainwindow.h"
#include "gui/resultgrid.h"
#include "harvest/base/enginesettings.h"
#include "harvest/harvester.h"
#include "harvest/net/enginegate.h"
#include "harvest/net/workerthread.h"
#include "platform/appdir.h"
#include "store/keylist.h"
#include "store/storefile.h"
#include "support/testsupport.h"
#include "util/codepage.h"
#include "util/msgbox.h"

namespace httplib {
class Server;
}

namespace zoqa::test {

inline QString Q(const char* utf8) {
  return QString::fromUtf8(utf8);
}

// Records every message (as UTF-8) and answers questions from a queue, OK when it is empty.
class TScriptedBox : public TMessageBox {
 public:
  int Show(const std::string& text, const std::string&, int kind) override {
    shown.push_back(Cp936ToUtf8(text));
    kinds.push_back(kind);
    if (kind != mkQuestion) return 0;
    if (answers.empty()) return kMsgOk;
    int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::string Last() const { return shown.empty() ? std::string() : shown.back(); }

  std::vector<std::string> shown;
  std::vector<int> kinds;
  std::deque<int> answers;
};

// A loopback HTTP server answering every request with a page that is no result page.
class TBusyWeb {
 public:
  TBusyWeb();
  ~TBusyWeb();
  std::string ProxyAddress() const { return "127.0.0.1:" + std::to_string(port_); }
  int Requests() const;

 private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
};

bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 20000);

class GuiTest : public ::testing::Test {
 protected:
  GuiTest();
  ~GuiTest() override;

  // Stores keywords and companies (given in UTF-8) as an earlier run left them.
  void Seed(const std::vector<std::pair<std::string, std::vector<std::string>>>& keywords);
  static TCompany MakeCompany(const std::string& keyword, const std::string& name,
                              const std::string& mobile);

  // Opens the main window (closing hides it to a tray) and shows it.
  TMainWindow& Open();
  TKeywordPanel& Panel() { return *window->Panel(); }
  TKeyItemWidget* Item(const std::string& keywordUtf8) { return Panel().Item(Cp936(keywordUtf8)); }
  QString Style(const std::string& keywordUtf8) { return Item(keywordUtf8)->ButtonStyle(0); }
  void ClickButton(const std::string& keywordUtf8, int tag);
  // A left click on the keyword's item, as the user picks it.
  void ClickItem(const std::string& keywordUtf8);
  bool WaitRows(int rows, int timeoutMs = 20000);
  bool WaitStyle(const std::string& keywordUtf8, const char* style, int timeoutMs = 20000);
  // Ticks only the Baidu box, by clicks.
  void BaiduOnly();
  std::string DateLine(const std::string& keywordUtf8);

  TempDir dir;
  TBusyWeb web;
  TScriptedBox box;
  std::unique_ptr<TMainWindow> window;
};

}  // namespace zoqa::test
