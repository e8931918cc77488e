// The fixture of the zoqa-cli run tests: the real program harvests the loopback world started
// here, which it reaches through the proxy named in the settings file of its program
// directory. Engines are scripted page by page; runs, stored companies and saved pages are
// read back through the program itself.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <thread>
#include <tuple>

#include "harvest/base/engine.h"
#include "harvest/sites/filinglookup.h"
#include "support/loopbackworld.h"
#include "support/testsupport.h"
#include "support/webpages.h"
#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa::test {

inline void EnsureApp() {
  static int argc = 1;
  static char name[] = "test_cli";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

// The number after "&key" in a request target, or -1.
inline int Param(const std::string& target, const std::string& key) {
  std::size_t at = target.find("&" + key);
  if (at == std::string::npos) return -1;
  return std::atoi(target.c_str() + at + key.size() + 1);
}

// Waits until process `pid` has taken the signal `signal` sent to it (it is no longer
// pending there); false after 10 s.
inline bool WaitSignalTaken(qint64 pid, int signal) {
  for (int waited = 0; waited < 10000; ++waited) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    bool pending = false;
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("SigPnd:", 0) == 0 || line.rfind("ShdPnd:", 0) == 0) {
        pending = pending || (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1) & 1) != 0;
      }
    }
    if (!pending) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

// A company as `companies --json` shows it, for comparing runs.
struct TStored {
  std::string Name;
  std::string Source;
  int IsPay = 0;
  int RenZheng = 0;
  std::string Mobiles;
  auto operator<=>(const TStored&) const = default;
};

inline void PrintTo(const TStored& c, std::ostream* os) {
  *os << "{" << c.Name << ", " << c.Source << ", pay " << c.IsPay << ", v " << c.RenZheng << ", "
      << c.Mobiles << "}";
}

struct TPages {
  int Baidu = -1;
  int Sogou = -1;
  int So360 = -1;
  bool operator==(const TPages&) const = default;
};

inline void PrintTo(const TPages& p, std::ostream* os) {
  *os << "{baidu " << p.Baidu << ", sogou " << p.Sogou << ", 360 " << p.So360 << "}";
}

// One engine's answers for one keyword: result page i is pages[i]; after the last one come
// result pages without results, or failures (404) with `wall`.
struct TEngineScript {
  std::vector<std::string> Pages;
  bool Wall = false;
  // The first search request gets the engine's human-verification answer.
  bool VerifyFirst = false;
  // Result pages from this index on are answered after SlowMs.
  int SlowFrom = -1;
  int SlowMs = 0;
};

struct TRun {
  int ExitCode = -1;
  std::string Out;
  std::string Err;
  double Seconds = 0;
};

class CliRunTest : public ::testing::Test {
 protected:
  CliRunTest() {
    EnsureApp();
    world.RoutePrefix("www.sogou.com", "/antispider/",
                      TWorldResponse::Page("<html><body>请输入验证码</body></html>"));
  }

  // A program directory whose settings send every request through the world.
  std::unique_ptr<TempDir> Home(bool shortBackoff = false) {
    auto home = std::make_unique<TempDir>();
    std::string cfg = "[net]\nProxy=" + world.ProxyAddress() + "\n";
    if (shortBackoff) cfg += "[engine]\nVerifyBackoffSeconds=1\n";
    WriteFileBytes(home->File("zqclient.cfg"), cfg);
    return home;
  }

  // A company site whose home page links its contact page, known to the filing registry.
  void AddSite(const std::string& host, const std::string& name, const std::string& mobile,
               int delayMs = 0) {
    TWorldResponse home = TWorldResponse::Page(CompanyHomePage(name + "首页", "/contact.html"));
    home.DelayMs = delayMs;
    world.Route(host, "/", home);
    world.Route(host, "/contact.html",
                TWorldResponse::Page(ContactPage(name, "020-87654321", mobile)));
    world.Route(RegistryHost(), RegistryPath(RegistrableDomain(host)),
                TWorldResponse::Page(RegistryPage(name, "")));
  }

  static std::string SearchPrefix(TEngine engine, const std::string& keyword) {
    switch (engine) {
      case egBaidu:
        return "/s?wd=" + UrlEncode(Cp936(keyword), false);
      case egSogou:
        return "/web?query=" + UrlEncode(Cp936(keyword), false);
      case eg360:
        break;
    }
    return "/s?q=" + UrlEncode(keyword, false);
  }

  static std::string SearchHost(TEngine engine) {
    return engine == egBaidu ? "www.baidu.com" : engine == egSogou ? "www.sogou.com" : "www.so.com";
  }

  // The page index a search request asks for.
  static int PageIndex(TEngine engine, const std::string& target) {
    switch (engine) {
      case egBaidu: {
        int pn = Param(target, "pn=");
        return pn < 0 ? 0 : pn / 10;
      }
      case egSogou: {
        int page = Param(target, "page=");
        return page < 0 ? 0 : page - 1;
      }
      case eg360:
        break;
    }
    int pn = Param(target, "pn=");
    return pn < 0 ? 0 : pn - 1;
  }

  void Script(TEngine engine, const std::string& keyword, TEngineScript script) {
    auto first = std::make_shared<std::atomic<bool>>(true);
    world.RouteFn(
        SearchHost(engine), SearchPrefix(engine, keyword),
        [engine, script, first](const TWorldRequest& r) {
          if (script.VerifyFirst && first->exchange(false)) return Verification(engine);
          std::size_t page = static_cast<std::size_t>(PageIndex(engine, r.Target));
          if (page < script.Pages.size()) {
            TWorldResponse response = TWorldResponse::Page(script.Pages[page]);
            if (script.SlowFrom >= 0 && page >= static_cast<std::size_t>(script.SlowFrom)) {
              response.DelayMs = script.SlowMs;
            }
            return response;
          }
          if (script.Wall) return TWorldResponse::Page("gone", 404);
          return TWorldResponse::Page(engine == egBaidu ? BaiduResultPage({}, {})
                                                        : LinkResultPage({}));
        });
  }

  static TWorldResponse Verification(TEngine engine) {
    switch (engine) {
      case egBaidu:
        return TWorldResponse::Page(
            "<html><head><title>百度安全验证</title></head><body>请完成下方验证</body></html>");
      case egSogou:
        return TWorldResponse::Redirect("http://www.sogou.com/antispider/?from=%2fweb");
      case eg360:
        break;
    }
    return TWorldResponse::Page("<html><body><p>为什么会出现验证码？</p></body></html>");
  }

  // The search requests for `keyword` on `engine`, as page indexes in order.
  std::vector<int> Asked(TEngine engine, const std::string& keyword) const {
    std::vector<int> pages;
    for (const auto& r : world.Requests({SearchHost(engine), SearchPrefix(engine, keyword)})) {
      pages.push_back(PageIndex(engine, r.Target));
    }
    return pages;
  }

  // Starts zoqa-cli in `home`; several can run at once.
  std::unique_ptr<QProcess> Start(const TempDir& home, const std::vector<std::string>& args) {
    QStringList list{"--home", QString::fromStdString(home.Path())};
    for (const auto& a : args) list << QString::fromStdString(a);
    auto process = std::make_unique<QProcess>();
    process->start(QString::fromUtf8(ZOQA_CLI_PATH), list);
    process->waitForStarted(30000);
    process->closeWriteChannel();
    timers_[process.get()].start();
    return process;
  }

  TRun Finish(QProcess& process, int timeoutMs = 120000) {
    TRun run;
    if (!process.waitForFinished(timeoutMs)) {
      process.kill();
      process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
      run.ExitCode = process.exitCode();
    }
    run.Seconds = timers_[&process].elapsed() / 1000.0;
    run.Out = process.readAllStandardOutput().toStdString();
    run.Err = process.readAllStandardError().toStdString();
    return run;
  }

  TRun Run(const TempDir& home, const std::vector<std::string>& args) {
    auto process = Start(home, args);
    return Finish(*process);
  }

  std::set<TStored> Companies(const TempDir& home, const std::string& keyword) {
    TRun run = Run(home, {"companies", keyword, "--json"});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    std::set<TStored> out;
    for (const auto& value : QJsonDocument::fromJson(QByteArray::fromStdString(run.Out)).array()) {
      QJsonObject o = value.toObject();
      QStringList mobiles;
      for (const auto& m : o["mobiles"].toArray()) mobiles << m.toString();
      out.insert({o["name"].toString().toStdString(), o["source"].toString().toStdString(),
                  o["isPay"].toInt(), o["renZheng"].toInt(), mobiles.join(",").toStdString()});
    }
    return out;
  }

  std::map<std::string, TPages> Pages(const TempDir& home) {
    TRun run = Run(home, {"list", "--json"});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    std::map<std::string, TPages> out;
    for (const auto& value : QJsonDocument::fromJson(QByteArray::fromStdString(run.Out)).array()) {
      QJsonObject o = value.toObject();
      out[o["keyword"].toString().toStdString()] = {o["lastPage"].toInt(), o["sgLastPage"].toInt(),
                                                    o["s360LastPage"].toInt()};
    }
    return out;
  }

  TLoopbackWorld world;
  std::map<QProcess*, QElapsedTimer> timers_;
};

}  // namespace zoqa::test
