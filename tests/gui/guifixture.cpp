#include "guifixture.h"

#include <httplib.h>

#include <QAbstractButton>
#include <QElapsedTimer>

#include <atomic>
#include <chrono>

#include "app/maincontroller.h"
#include "support/storeseed.h"

namespace zoqa::test {
namespace {

std::atomic<int> g_requests{0};

}  // namespace

TBusyWeb::TBusyWeb() : server_(std::make_unique<httplib::Server>()) {
  server_->Get(".*", [](const httplib::Request&, httplib::Response& res) {
    ++g_requests;
    res.set_content("<html><body>busy</body></html>", "text/html; charset=utf-8");
  });
  port_ = server_->bind_to_any_port("127.0.0.1");
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TBusyWeb::~TBusyWeb() {
  server_->stop();
  thread_.join();
}

int TBusyWeb::Requests() const {
  return g_requests.load();
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    QTest::qWait(2);
  }
  return true;
}

GuiTest::GuiTest() {
  SetAppDirOverride(dir.Path());
  ProvisionStoreFile();
  TEngineSettings settings;
  settings.Proxy = web.ProxyAddress();
  SetEngineSettings(settings);
  for (TEngine e : {egBaidu, egSogou, eg360}) TEngineGate::For(e).SetIntervals(100, 10);
  SetMessageBox(&box);
}

GuiTest::~GuiTest() {
  if (window) {
    window->ShutDown();
    window.reset();
  }
  PumpUntil([] { return TWorkerThread::Running() == 0; }, 10000);
  QApplication::processEvents();
  SetMessageBox(nullptr);
  TEngineGate::For(egBaidu).SetIntervals(2000, 1000);
  TEngineGate::For(egSogou).SetIntervals(3000, 2000);
  TEngineGate::For(eg360).SetIntervals(3000, 2000);
  SetEngineSettings(TEngineSettings{});
  SetAppDirOverride("");
}

TCompany GuiTest::MakeCompany(const std::string& keyword, const std::string& name,
                              const std::string& mobile) {
  return test::MakeCompany(keyword, name, mobile);
}

void GuiTest::Seed(const std::vector<std::pair<std::string, std::vector<std::string>>>& keywords) {
  SeedStore(keywords);
}

TMainWindow& GuiTest::Open() {
  window = std::make_unique<TMainWindow>();
  window->SetTrayAvailable(true);
  window->show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  return *window;
}

void GuiTest::ClickButton(const std::string& keywordUtf8, int tag) {
  QToolButton* button = Item(keywordUtf8)->Button(tag);
  ASSERT_NE(button, nullptr);
  QTest::mouseClick(button, Qt::LeftButton);
}

void GuiTest::ClickItem(const std::string& keywordUtf8) {
  QListWidget* list = Panel().List();
  QListWidgetItem* item = Panel().ListItem(Cp936(keywordUtf8));
  ASSERT_NE(item, nullptr);
  QRect rect = list->visualItemRect(item);
  // On the keyword's text, away from the buttons.
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.topLeft() + QPoint(150, 12));
}

bool GuiTest::WaitRows(int rows, int timeoutMs) {
  return PumpUntil([&] { return window->GridRowCount() == rows; }, timeoutMs);
}

bool GuiTest::WaitStyle(const std::string& keywordUtf8, const char* style, int timeoutMs) {
  return PumpUntil([&] { return Style(keywordUtf8) == style; }, timeoutMs);
}

void GuiTest::BaiduOnly() {
  for (int engine : {1, 2}) {
    QCheckBox* box = Panel().EngineBox(engine);
    if (box->isChecked()) QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
  }
}

std::string GuiTest::DateLine(const std::string& keywordUtf8) {
  TKeyData* key = window->Controller().Store().FindKey(Cp936(keywordUtf8));
  return "最后更新：" + FormatKeyDate(key->AddDate);
}

}  // namespace zoqa::test
