// zoqa-cli run: the keyword tasks of the main window on the terminal. Each keyword is added
// when missing and started as the window starts it; status lines go to stderr, and the
// command ends once every task has ended: by the stop rule, or when the time limit or a
// signal stopped the tasks and their harvesters have reported their end.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <array>
#include <chrono>
#include <cstdio>
#include <optional>
#include <sstream>
#include <thread>

#include "app/maincontroller.h"
#include "cli/commands.h"
#include "cli/stopsignals.h"
#include "cli/storeargs.h"
#include "cli/taskargs.h"
#include "cli/terminalview.h"
#include "harvest/base/enginesettings.h"
#include "harvest/harvester.h"
#include "harvest/net/enginegate.h"
#include "harvest/net/proxypool.h"
#include "harvest/net/workerthread.h"
#include "platform/appdir.h"
#include "store/storechoice.h"
#include "util/codepage.h"

namespace zoqa::cli {
namespace {

const char kRunHelp[] =
    "usage: zoqa-cli [--home DIR] run [--engines baidu,sogou,360] [--max-seconds N] [--json]\n"
    "                KEYWORD...\n"
    "Adds each keyword when missing and starts its search on the chosen engines (default all\n"
    "three), as the window's add-task button does. Status lines go to stderr, prefixed with\n"
    "their keyword. The command ends once every task has ended: by itself, when result pages\n"
    "stop bringing new companies, or after N seconds (or Ctrl-C, SIGTERM), when it stops every\n"
    "task and waits until the pages reached are saved. A second Ctrl-C ends at once.\n"
    "The window's questions have fixed answers here: \"start now?\" after adding a task is\n"
    "answered OK.\n"
    "--json prints each company the store keeps as one JSON line on stdout (the fields of\n"
    "companies --json and the keyword).\n"
    "With a proxies pool ([net] Proxies or [net] ProxyFile) each harvester goes through one\n"
    "proxy, and the command ends with a line per proxy: result pages, crawls, verification\n"
    "pages and benches.\n";

constexpr int kPollMs = 100;
constexpr int kCrawlerWaitMs = 5000;
// How long a run whose tasks have ended waits for a lost team store to come back.
constexpr int kHeldWaitSeconds = 120;

struct RunArgs {
  std::array<bool, 3> engines{false, false, false};
  bool enginesGiven = false;
  int maxSeconds = 0;
  bool json = false;
  bool help = false;
  std::vector<std::string> keywords;
};

void ParseEngines(const std::string& list, RunArgs& parsed) {
  parsed.enginesGiven = true;
  std::stringstream stream(list);
  for (std::string name; std::getline(stream, name, ',');) {
    if (name == "baidu") {
      parsed.engines[egBaidu] = true;
    } else if (name == "sogou") {
      parsed.engines[egSogou] = true;
    } else if (name == "360") {
      parsed.engines[eg360] = true;
    } else if (!name.empty()) {
      throw UsageError("run: unknown engine " + name);
    }
  }
}

RunArgs Parse(const Args& args) {
  RunArgs parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    bool hasValue = i + 1 < args.size();
    if (args[i] == "--help") {
      parsed.help = true;
    } else if (args[i] == "--json") {
      parsed.json = true;
    } else if (args[i] == "--engines" && hasValue) {
      ParseEngines(args[++i], parsed);
    } else if (args[i] == "--max-seconds" && hasValue) {
      parsed.maxSeconds = ParseMaxSeconds("run", args[++i]);
    } else if (!args[i].starts_with("--")) {
      parsed.keywords.push_back(Keyword(args[i]));
    } else {
      throw UsageError("run: unexpected argument " + args[i]);
    }
  }
  if (!parsed.enginesGiven) parsed.engines = {true, true, true};
  if (!parsed.help && parsed.keywords.empty()) throw UsageError("run: KEYWORD is missing");
  return parsed;
}

// The window's handling of reports, with every keyword's lines shown on the terminal.
class TRunController : public TMainController {
 public:
  using TMainController::TMainController;

  void HarvestMessage(const THarvestMessage& message) override {
    if (message.Kind == hkStatus) {
      TTerminalView::Report(message.Info->KeyWord, message.Info->StatusText);
    } else if (message.Kind == hkCompany) {
      TTerminalView::Report(message.Company->KeyWord, CompanyText(*message.Company));
    }
    TMainController::HarvestMessage(message);
  }
};

// True once every keyword's start was taken, or cancelled by a stop while its companies
// loaded, and every harvester has reported its end.
bool AllEnded(TMainController& controller, const std::vector<std::string>& keywords) {
  for (const std::string& keyword : keywords) {
    TKeyData* key = controller.Store().FindKey(keyword);
    if (key != nullptr && (!key->Loaded || key->PendingAction == paStart)) return false;
  }
  return THarvester::Unreported() == 0;
}

void RunUntilEnded(TMainController& controller, const RunArgs& parsed) {
  using Clock = std::chrono::steady_clock;
  auto deadline = Clock::now() + std::chrono::seconds(parsed.maxSeconds);
  bool stopping = false;
  QEventLoop loop;
  QTimer timer;
  bool holding = false;
  std::optional<Clock::time_point> ended;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (controller.Store().Holding() != holding) {
      holding = !holding;
      std::fputs(holding ? "数据库连接中断，正在重试…\n" : "数据库连接已恢复\n", stderr);
    }
    bool timeUp = parsed.maxSeconds > 0 && Clock::now() >= deadline;
    if (!stopping && (timeUp || StopAsked())) {
      stopping = true;
      // A start still waiting for its keyword's companies is cancelled by the stop too.
      for (const std::string& keyword : parsed.keywords) controller.StopTask(keyword, true);
    }
    if (!AllEnded(controller, parsed.keywords)) return;
    // Companies kept while the team store was unreachable are written before the run ends.
    if (!ended) ended = Clock::now();
    if (!holding || Clock::now() - *ended > std::chrono::seconds(kHeldWaitSeconds)) {
      loop.quit();
    }
  });
  timer.start(kPollMs);
  loop.exec();
}

// Verification answers of the engine, from the one address or through any proxy.
int VerificationPages(TEngine engine) {
  int pages = TEngineGate::For(engine).VerificationPages();
  if (auto pool = ProxyPool()) {
    for (int i = 0; i < pool->Size(); ++i) pages += pool->Gate(i, engine).VerificationPages();
  }
  return pages;
}

void PrintVerificationNote() {
  std::fprintf(stderr, "安全验证页面：百度 %d，搜狗 %d，360 %d\n", VerificationPages(egBaidu),
               VerificationPages(egSogou), VerificationPages(eg360));
}

void PrintProxySummary() {
  auto pool = ProxyPool();
  if (!pool) return;
  for (int i = 0; i < pool->Size(); ++i) {
    TProxyStats stats = pool->Stats(i);
    std::fprintf(stderr, "代理 %s：结果页 %d，抓取 %d，验证页面 %d，停用 %d\n",
                 pool->Entry(i).Label().c_str(), stats.Pages, stats.Crawls, stats.Verifications,
                 stats.Benches);
  }
}

}  // namespace

int CmdRun(const Args& args) {
  RunArgs parsed = Parse(args);
  if (parsed.help) {
    std::fputs(kRunHelp, stdout);
    return 0;
  }
  if (!ChosenStoreUrl().empty()) {
    // On the team store the keywords' tasks go through the task queue, worked on here.
    std::vector<int> engines;
    for (int engine : {egBaidu, egSogou, eg360}) {
      if (parsed.engines[engine]) engines.push_back(engine);
    }
    return RunTeamTasks(parsed.keywords, engines, parsed.maxSeconds, parsed.json);
  }
  SetEngineSettings(LoadEngineSettings(AppDir() + "zqclient.cfg"));
  // A malformed proxy entry ends the command here, before any task starts.
  std::string poolError = InstallProxyPool(*EngineSettings());
  if (!poolError.empty()) throw std::runtime_error("run: " + poolError);
  ProvisionChosenStore();
  TTerminalView view(parsed.engines, parsed.json);
  auto controller = std::make_unique<TRunController>(view);
  CatchStopSignals();
  for (const std::string& keyword : parsed.keywords) controller->AddTask(keyword);
  RunUntilEnded(*controller, parsed);
  std::size_t unwritten = controller->Store().HeldCount();
  PrintVerificationNote();
  PrintProxySummary();
  // Crawlers still fetching were told to stop by their harvesters; cut their transfers short.
  StopAllWorkers();
  TWorkerThread::WaitAllEnded(kCrawlerWaitMs, [] { QCoreApplication::processEvents(); });
  controller.reset();
  TTerminalView::ReportUnwritten(unwritten);
  ExitIfWorkersRun(unwritten > 0 ? 1 : 0);
  return unwritten > 0 ? 1 : 0;
}

}  // namespace zoqa::cli
