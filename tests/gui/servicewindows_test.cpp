// The service windows against a loopback service: the notice pop-up, the description and
// contact windows, the feedback page, the companion tools' strip and install prompt.
#include "gui/servicewindows.h"

#include <httplib.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <map>
#include <mutex>

#include "gui/contactwindow.h"
#include "gui/descriptionwindow.h"
#include "gui/noticeview.h"
#include "gui/noticewindow.h"
#include "gui/toolinstallwindow.h"
#include "gui/toolstrip.h"
#include "gui/widgetmessagebox.h"
#include "guifixture.h"
#include "service/companiontools.h"
#include "service/desutil.h"
#include "service/servicepages.h"

namespace zoqa::test {
namespace {

// The maker's service on 127.0.0.1: answers from a table keyed by path and action, counts
// the requests per key; unknown keys get 404.
class TServiceWeb {
 public:
  TServiceWeb() : server_(std::make_unique<httplib::Server>()) {
    server_->Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
      std::string key = req.path;
      if (req.has_param("action")) key += "?" + req.get_param_value("action");
      std::lock_guard<std::mutex> lock(mutex_);
      ++counts_[key];
      if (req.has_param("user")) lastUser_ = req.get_param_value("user");
      auto it = pages_.find(key);
      if (it == pages_.end()) {
        res.status = 404;
        return;
      }
      res.set_content(it->second.second, it->second.first);
    });
    port_ = server_->bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~TServiceWeb() {
    server_->stop();
    thread_.join();
  }
  std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
  void Set(const std::string& key, const std::string& body,
           const std::string& type = "text/plain; charset=utf-8") {
    std::lock_guard<std::mutex> lock(mutex_);
    pages_[key] = {type, body};
  }
  int Count(const std::string& key) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = counts_.find(key);
    return it == counts_.end() ? 0 : it->second;
  }
  std::string LastUser() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastUser_;
  }

 private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::map<std::string, std::pair<std::string, std::string>> pages_;
  std::map<std::string, int> counts_;
  std::string lastUser_;
};

// A running companion tool: listens on the tool's socket on a thread of its own, records
// every request line and answers with `answer` (no answer when negative).
class TFakeTool {
 public:
  TFakeTool(int t, int answer) {
    QString path = QString::fromStdString(ToolSocketPath(t));
    thread_.reset(QThread::create([this, path, answer] { Serve(path, answer); }));
    thread_->start();
    while (!ready_.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~TFakeTool() {
    stop_ = true;
    thread_->wait();
    // QThread's wait is invisible to ThreadSanitizer; this load orders the thread's last
    // accesses before the object goes.
    while (!done_.load()) std::this_thread::yield();
  }
  std::vector<std::string> Lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }

 private:
  void Serve(const QString& path, int answer) {
    Listen(path, answer);
    done_ = true;
  }

  void Listen(const QString& path, int answer) {
    QLocalServer server;
    QLocalServer::removeServer(path);
    server.listen(path);
    QObject::connect(&server, &QLocalServer::newConnection, [&] {
      while (QLocalSocket* socket = server.nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, [this, socket, answer] {
          if (!socket->canReadLine()) return;
          {
            std::lock_guard<std::mutex> lock(mutex_);
            lines_.push_back(socket->readLine().toStdString());
          }
          if (answer >= 0) socket->write(QByteArray::number(answer) + "\n");
          socket->flush();
        });
      }
    });
    ready_ = true;
    while (!stop_.load()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    server.close();
  }

  std::unique_ptr<QThread> thread_;
  std::atomic<bool> ready_{false};
  std::atomic<bool> stop_{false};
  std::atomic<bool> done_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

class ServiceWindowsTest : public ::testing::Test {
 protected:
  ServiceWindowsTest() {
    SetAppDirOverride(home.Path());
    SetServiceUrlOpener([this](const std::string& url) { opened.push_back(url); });
  }
  ~ServiceWindowsTest() override {
    for (QWidget* w : {static_cast<QWidget*>(TNoticeWindow::Latest()),
                       static_cast<QWidget*>(TDescriptionWindow::Instance()),
                       static_cast<QWidget*>(TContactWindow::Instance()),
                       static_cast<QWidget*>(TToolInstallWindow::Instance())}) {
      if (w != nullptr) w->close();
    }
    PumpUntil([] { return TWorkerThread::Running() == 0; }, 20000);
    QTest::qWait(10);
    SetServiceUrlOpener(nullptr);
    SetAppDirOverride("");
  }

  template <typename T>
  static int OpenCount() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) n += qobject_cast<T*>(w) != nullptr ? 1 : 0;
    return n;
  }

  TempDir home;
  TServiceWeb web;
  std::vector<std::string> opened;
};

std::string Lines(int n) {
  std::string text;
  for (int i = 1; i <= n; ++i) text += "line " + std::to_string(i) + (i < n ? "\r\n" : "");
  return text;
}

TEST_F(ServiceWindowsTest, DescriptionIsOneWindowThatFetchesOnEveryOpen) {
  web.Set("/http.aspx?des", Lines(16));
  OpenDescriptionWindow(web.Base());
  TDescriptionWindow* window = TDescriptionWindow::Instance();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), Q("软件介绍"));
  EXPECT_EQ(window->Text()->toPlainText(), Q("正在加载数据，请稍候..."));
  ASSERT_TRUE(PumpUntil([&] { return window->Text()->toPlainText().startsWith("line 1"); }));
  EXPECT_EQ(window->Text()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(window->focusWidget(), window->CloseButton());

  web.Set("/http.aspx?des", Lines(15));
  OpenDescriptionWindow(web.Base());
  EXPECT_EQ(TDescriptionWindow::Instance(), window);
  ASSERT_TRUE(PumpUntil([&] { return web.Count("/http.aspx?des") == 2; }));
  ASSERT_TRUE(PumpUntil([&] { return !window->Text()->toPlainText().contains("line 16"); }));
  EXPECT_EQ(window->Text()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(OpenCount<TDescriptionWindow>(), 1);

  QTest::mouseClick(window->CloseButton(), Qt::LeftButton);
  EXPECT_EQ(TDescriptionWindow::Instance(), nullptr);
  EXPECT_TRUE(PumpUntil([&] { return OpenCount<TDescriptionWindow>() == 0; }));
}

TEST_F(ServiceWindowsTest, ContactReplyFillsTheLinesAndTheMessengerOpensAChat) {
  web.Set("/http.aspx?contact", "020-1234|778899|广州众企|王经理|x");
  OpenContactWindow(web.Base(), "");
  TContactWindow* window = TContactWindow::Instance();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->ContactLine()->text(), Q("正在加载信息，请稍候..."));
  EXPECT_TRUE(window->MessengerLine()->isHidden());
  ASSERT_TRUE(PumpUntil([&] { return !window->MessengerLine()->isHidden(); }));
  EXPECT_EQ(web.LastUser(), "adm");
  EXPECT_EQ(window->CompanyLine()->text(), Q("公司名：广州众企"));
  EXPECT_EQ(window->ContactLine()->text(), Q("联系人：王经理"));
  EXPECT_EQ(window->PhoneLine()->text(), Q("联系电话：020-1234"));
  EXPECT_EQ(window->MessengerLine()->text(), Q("QQ：778899 (点击交谈)"));
  QTest::mouseClick(window->MessengerLine(), Qt::LeftButton);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], MessengerUrl("778899"));
}

TEST_F(ServiceWindowsTest, ContactReplyWithoutMessengerOrWithTooFewItems) {
  web.Set("/http.aspx?contact", "020-1234||众企|王经理|");
  OpenContactWindow(web.Base(), "d17");
  TContactWindow* window = TContactWindow::Instance();
  ASSERT_TRUE(PumpUntil([&] { return !window->PhoneLine()->isHidden(); }));
  EXPECT_EQ(web.LastUser(), "d17");
  EXPECT_FALSE(window->CompanyLine()->isHidden());
  EXPECT_FALSE(window->ContactLine()->isHidden());
  EXPECT_TRUE(window->MessengerLine()->isHidden());
  QTest::mouseClick(window->MessengerLine(), Qt::LeftButton);
  EXPECT_TRUE(opened.empty());
  window->close();

  // Four items (or a failed request) leave the loading text.
  web.Set("/http.aspx?contact", "020-1234|778899|众企|王经理");
  OpenContactWindow(web.Base(), "");
  window = TContactWindow::Instance();
  ASSERT_TRUE(PumpUntil([&] { return web.Count("/http.aspx?contact") == 2; }));
  QTest::qWait(200);
  EXPECT_EQ(window->ContactLine()->text(), Q("正在加载信息，请稍候..."));
  EXPECT_TRUE(window->PhoneLine()->isHidden());
}

TEST_F(ServiceWindowsTest, FeedbackOpensTheFormWithAFreshToken) {
  OpenFeedbackPage(web.Base());
  OpenFeedbackPage(web.Base());
  ASSERT_EQ(opened.size(), 2u);
  std::string prefix = web.Base() + "http.aspx?action=Opinion&u=";
  std::vector<int> numbers;
  for (const std::string& url : opened) {
    ASSERT_EQ(url.substr(0, prefix.size()), prefix);
    std::string plain = DecipherFromHex(url.substr(prefix.size()), kFeedbackKey);
    ASSERT_EQ(plain.substr(0, 2), "||");
    numbers.push_back(std::stoi(plain.substr(2)));
  }
  // Two draws from 1000 agree now and then; a third settles it.
  if (numbers[0] == numbers[1]) {
    OpenFeedbackPage(web.Base());
    EXPECT_NE(opened[2], opened[0]);
  }
}

// The anchor of the notice page whose text is `text`, as the view reports a click on it.
QUrl AnchorOf(QTextBrowser* browser, const QString& text) {
  for (QTextBlock b = browser->document()->begin(); b.isValid(); b = b.next()) {
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      QTextFragment f = it.fragment();
      if (f.text().contains(text) && f.charFormat().isAnchor()) {
        return QUrl(f.charFormat().anchorHref());
      }
    }
  }
  return {};
}

TEST_F(ServiceWindowsTest, NoticeWaitsOffScreenThenSitsInTheCornerAndRoutesItsLinks) {
  web.Set("/pop.aspx",
          "<html><head><meta charset=\"utf-8\"></head><body><p>通知 one</p>"
          "<a href=\"/next.html\">inside</a> "
          "<a target=\"_blank\" href=\"http://news.example/a?x=1&amp;y=2\">outside</a>"
          "</body></html>",
          "text/html");
  web.Set("/next.html", "<html><body><p>page two</p></body></html>", "text/html; charset=utf-8");
  OpenNoticeWindow(NoticePageUrl(web.Base(), "2.1"));
  TNoticeWindow* window = TNoticeWindow::Latest();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->testAttribute(Qt::WA_ShowWithoutActivating));
  EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(window->size(), QSize(402, 255));
  EXPECT_EQ(window->x(), TNoticeWindow::kOffScreenLeft);
  ASSERT_TRUE(PumpUntil([&] { return window->Placed(); }));
  QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_EQ(window->geometry().bottomRight(), area.bottomRight());
  EXPECT_TRUE(window->Browser()->toPlainText().contains(Q("通知 one")));

  emit window->Browser()->anchorClicked(AnchorOf(window->Browser(), "outside"));
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], "http://news.example/a?x=1&y=2");
  EXPECT_EQ(web.Count("/next.html"), 0);

  emit window->Browser()->anchorClicked(AnchorOf(window->Browser(), "inside"));
  ASSERT_TRUE(PumpUntil([&] { return window->Browser()->toPlainText().contains("page two"); }));
  EXPECT_EQ(opened.size(), 1u);
  EXPECT_EQ(OpenCount<TNoticeWindow>(), 1);
}

TEST_F(ServiceWindowsTest, NoticeLoadsOnlyDataAndWebImagesAndOpensOnlyWebLinks) {
  TempDir local;
  WriteFileBytes(local.File("secret.png"), "local bytes");
  web.Set("/img.png", "remote image", "image/png");
  web.Set("/pop.aspx",
          "<html><body><img src=\"/img.png\"><img src=\"file://" + local.File("secret.png") +
              "\"><a target=\"_blank\" href=\"file:///etc/passwd\">local</a></body></html>",
          "text/html");
  OpenNoticeWindow(NoticePageUrl(web.Base(), "2.1"));
  TNoticeWindow* window = TNoticeWindow::Latest();
  ASSERT_TRUE(PumpUntil([&] { return window->Placed(); }));
  TNoticeView* view = window->Browser();
  auto image = [view](const QUrl& url) {
    return view->document()->resource(QTextDocument::ImageResource, url).toByteArray();
  };
  EXPECT_EQ(image(QUrl::fromLocalFile(Q(local.File("secret.png").c_str()))), "");
  EXPECT_EQ(image(QUrl("data:text/plain;base64,aGk=")), "hi");
  ASSERT_TRUE(PumpUntil([&] { return image(QUrl("/img.png")) == "remote image"; }));
  EXPECT_EQ(web.Count("/img.png"), 1);
  emit view->anchorClicked(AnchorOf(view, "local"));
  EXPECT_TRUE(opened.empty());
}

TEST(WidgetMessageBox, ShowsMarkupAsTyped) {
  Qt::TextFormat format = Qt::RichText;
  QString text;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      format = box->textFormat();
      text = box->text();
      box->accept();
    }
  });
  poll.start(10);
  TWidgetMessageBox().Show(Cp936("<b>广州</b> &amp;"), Cp936("提示"), mkInformation);
  EXPECT_EQ(format, Qt::PlainText);
  EXPECT_EQ(text, Q("<b>广州</b> &amp;"));
}

TEST_F(ServiceWindowsTest, NoticeThatCannotLoadCloses) {
  OpenNoticeWindow(web.Base() + "missing.aspx");
  ASSERT_NE(TNoticeWindow::Latest(), nullptr);
  EXPECT_TRUE(PumpUntil([] { return TNoticeWindow::Latest() == nullptr; }));
  // Before the service's address is known the page has no host: the window goes at once.
  OpenNoticeWindow(NoticePageUrl("", "2.1"));
  EXPECT_TRUE(PumpUntil([] { return TNoticeWindow::Latest() == nullptr; }));
}

TEST(NoticePage, DecodedByHeaderThenDeclarationThenContent) {
  std::string gbk = Cp936("<p>中文</p>");
  EXPECT_EQ(DecodePage(gbk, "text/html; charset=GB2312"), Q("<p>中文</p>"));
  EXPECT_EQ(DecodePage("<meta charset=gbk>" + gbk, "text/html"),
            Q("<meta charset=gbk><p>中文</p>"));
  EXPECT_EQ(DecodePage("<p>中文</p>", "text/html"), Q("<p>中文</p>"));
  EXPECT_EQ(DecodePage(gbk, "text/html; charset=utf-8"), Q("<p>中文</p>"));  // mislabelled
}

TEST_F(ServiceWindowsTest, InstallPromptIsReusedAndShowsProgress) {
  OpenToolInstallWindow(0, "-uABC", "http://a/1.zip");
  TToolInstallWindow* window = TToolInstallWindow::Instance();
  ASSERT_NE(window, nullptr);
  QString rowZero = Q("还没有安装服务[") + Q(CompanionTool(0).DisplayName) + Q("]，是否立即安装？");
  EXPECT_EQ(window->TextPanel()->text(), rowZero);
  EXPECT_TRUE(window->ProgressBar()->isHidden());

  OpenToolInstallWindow(3, "-uABC", "http://svc/soft/x.zip");
  EXPECT_EQ(TToolInstallWindow::Instance(), window);
  EXPECT_EQ(OpenCount<TToolInstallWindow>(), 1);
  EXPECT_EQ(window->Tool(), 3);
  EXPECT_EQ(window->DownloadUrl(), "http://svc/soft/x.zip");
  EXPECT_EQ(window->TextPanel()->text(), rowZero);

  window->ToolInstallMessage(2, 37);
  EXPECT_EQ(window->TextPanel()->text(), Q("正在下载服务程序，已下载 37%"));
  EXPECT_FALSE(window->ProgressBar()->isHidden());
  EXPECT_EQ(window->ProgressBar()->value(), 37);
  window->ToolInstallMessage(3, 0);
  EXPECT_TRUE(window->ProgressBar()->isHidden());

  QTest::mouseClick(window->LaterButton(), Qt::LeftButton);
  EXPECT_EQ(TToolInstallWindow::Instance(), nullptr);
}

TEST_F(ServiceWindowsTest, InstallWithoutADownloadUrlEndsAndCloses) {
  OpenToolInstallWindow(1, "-uABC", "");
  TToolInstallWindow* window = TToolInstallWindow::Instance();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->TextPanel()->text(),
            Q("还没有安装服务[") + Q(CompanionTool(1).DisplayName) + Q("]，是否立即安装？"));
  QTest::mouseClick(window->InstallButton(), Qt::LeftButton);
  EXPECT_FALSE(window->InstallButton()->isEnabled());
  EXPECT_FALSE(window->LaterButton()->isEnabled());
  EXPECT_TRUE(QFileInfo(QString::fromStdString(ToolFolder(1))).isDir());
  EXPECT_TRUE(PumpUntil([] { return TToolInstallWindow::Instance() == nullptr; }));
}

TEST_F(ServiceWindowsTest, ToolStripBringsARunningToolForwardAndStartsNothing) {
  std::vector<std::string> started;
  std::vector<int> prompts;
  TToolStrip strip([](int) { return std::string(); });
  strip.SetLaunchHooks({[&](const std::string& path, const std::string&) {
                          started.push_back(path);
                          return true;
                        },
                        [&](int t, const std::string&) { prompts.push_back(t); }});
  EXPECT_EQ(strip.Caption()->text(), Q("推荐工具 >>"));
  ASSERT_EQ(strip.Button(2), nullptr);
  for (int t : {0, 1, 3, 4}) ASSERT_NE(strip.Button(t), nullptr) << t;

  {
    TFakeTool own(3, -1);  // a tool of its own counts as running without an answer
    QTest::mouseClick(strip.Button(3), Qt::LeftButton);
    EXPECT_TRUE(PumpUntil([&] { return own.Lines().size() == 1; }));
    EXPECT_EQ(own.Lines()[0], "showmain 1 3\n");
  }
  {
    TFakeTool family(1, 1);  // the shared family answers that it is row 1
    EXPECT_EQ(strip.Launch(1), loBroughtForward);
    EXPECT_EQ(strip.Launch(0), loPrompted);  // row 0 is not the one running
    EXPECT_EQ(family.Lines().size(), 2u);
  }
  EXPECT_TRUE(started.empty());
  EXPECT_EQ(prompts, std::vector<int>{0});
}

}  // namespace
}  // namespace zoqa::test
