// zoqa-cli worker: takes tasks from the team store's queue and harvests them until told to
// end, and `run` on the team store, which is a worker on its own keywords' tasks. Status lines
// go to stderr, prefixed with their keyword; --json prints each stored company on stdout.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include "app/taskworker.h"
#include "app/teamworkersetup.h"
#include "cli/commands.h"
#include "cli/jsonout.h"
#include "cli/stopsignals.h"
#include "cli/storeargs.h"
#include "cli/taskargs.h"
#include "cli/terminalview.h"
#include "harvest/base/enginesettings.h"
#include "harvest/net/proxypool.h"
#include "harvest/net/workerthread.h"
#include "platform/appdir.h"
#include "store/keylist.h"
#include "store/pgstore.h"
#include "util/codepage.h"

namespace zoqa::cli {
namespace {

const char kWorkerHelp[] =
    "usage: zoqa-cli --store URL worker [--name NAME] [--engines baidu,sogou,360]\n"
    "                [--max-seconds N] [--until-idle] [--json]\n"
    "Takes ready tasks of the team store (and tasks whose holder's lease ran out) and harvests\n"
    "them from their saved pages, as many at once as its egress addresses serve: one per\n"
    "engine, or one per engine and proxy with a proxies pool. Every machine on one egress\n"
    "([net] Egress, default \"default\"; with a pool each proxy's host:port) keeps each\n"
    "engine's pace together with the others. Leases last [store] LeaseSeconds (default 60)\n"
    "and are renewed every third of it; a pause or stop from anywhere reaches the worker at\n"
    "its next renewal. Ctrl-C or SIGTERM (or N seconds) stops the harvests, saves the pages\n"
    "reached and hands the tasks back at once; --until-idle ends once no task is ready or\n"
    "leased. NAME defaults to host:pid.\n";

constexpr int kPollMs = 100;
constexpr int kCrawlerWaitMs = 5000;

struct WorkerArgs {
  TWorkerOptions options;
  int maxSeconds = 0;
  bool json = false;
  bool help = false;
};

WorkerArgs Parse(const Args& args) {
  WorkerArgs parsed;
  parsed.options.Engines = AllEngines();
  for (std::size_t i = 0; i < args.size(); ++i) {
    bool hasValue = i + 1 < args.size();
    if (args[i] == "--help") {
      parsed.help = true;
    } else if (args[i] == "--json") {
      parsed.json = true;
    } else if (args[i] == "--until-idle") {
      parsed.options.UntilIdle = true;
    } else if (args[i] == "--name" && hasValue && !args[i + 1].empty()) {
      parsed.options.Name = args[++i];
    } else if (args[i] == "--engines" && hasValue) {
      parsed.options.Engines = ParseEngineList("worker", args[++i]);
    } else if (args[i] == "--max-seconds" && hasValue) {
      parsed.maxSeconds = ParseMaxSeconds("worker", args[++i]);
    } else {
      throw UsageError("worker: unexpected argument " + args[i]);
    }
  }
  return parsed;
}

// True once a stop signal came or `maxSeconds` (unless 0) passed from now.
std::function<bool()> EndAsked(int maxSeconds) {
  using Clock = std::chrono::steady_clock;
  auto deadline = Clock::now() + std::chrono::seconds(maxSeconds);
  return [maxSeconds, deadline] {
    return StopAsked() || (maxSeconds > 0 && Clock::now() >= deadline);
  };
}

void RunUntilEnded(TTaskWorker& worker, const std::function<bool()>& endAsked) {
  bool draining = false;
  QEventLoop loop;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (!draining && endAsked()) {
      draining = true;
      worker.Drain();
    }
    if (!draining) worker.Tick();
    if (worker.Ended()) loop.quit();
  });
  timer.start(kPollMs);
  loop.exec();
}

// Sets up the process for harvesting on the team store and works until the worker ended.
int Work(const TStoreUrl& url, WorkerArgs parsed) {
  SetEngineSettings(LoadEngineSettings(AppDir() + "zqclient.cfg"));
  std::string poolError = InstallProxyPool(*EngineSettings());
  if (!poolError.empty()) throw std::runtime_error("worker: " + poolError);
  if (parsed.options.Name.empty()) parsed.options.Name = DefaultWorkerName();
  parsed.options.LeaseSeconds = TeamLeaseSeconds();
  parsed.options.TasksPerEngine = TeamTasksPerEngine();
  ShareTeamGates(url, EngineSettings()->Egress);
  parsed.options.QuitAsked = EndAsked(parsed.maxSeconds);
  std::unique_ptr<TTaskWorker> worker;
  try {
    worker = std::make_unique<TTaskWorker>(url, parsed.options);
  } catch (const EPgError&) {
    // Told to end while connecting: nothing was claimed, so nothing is to be handed back.
    if (parsed.options.QuitAsked()) return 0;
    throw;
  }
  worker->OnStatus = [](const std::string& keyword, const std::string& text) {
    TTerminalView::Report(keyword, text);
  };
  bool json = parsed.json;
  worker->OnCompany = [json](const std::string& keyword, const TCompany& company) {
    TTerminalView::Report(keyword, Cp936("获取[") + company.GetName() + Cp936("]获取成功！"));
    if (!json) return;
    QJsonObject object = CompanyJson(company);
    object["keyword"] = JsonText(keyword);
    PrintJson(QJsonDocument(object), QJsonDocument::Compact);
    std::fflush(stdout);
  };
  worker->OnStoreLost = [](bool lost) {
    std::fputs(lost ? "数据库连接中断，正在重试…\n" : "数据库连接已恢复\n", stderr);
  };
  RunUntilEnded(*worker, parsed.options.QuitAsked);
  // Crawlers still fetching were told to stop by their harvesters; their companies still
  // arrive until they end.
  TWorkerThread::WaitAllEnded(kCrawlerWaitMs, [] { QCoreApplication::processEvents(); });
  StopAllWorkers();
  TWorkerThread::WaitAllEnded(kCrawlerWaitMs, [] { QCoreApplication::processEvents(); });
  for (int waited = 0; !worker->WriteHeld() && waited < kCrawlerWaitMs; waited += kPollMs) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  }
  TTerminalView::ReportUnwritten(worker->Unwritten());
  worker.reset();
  ExitIfWorkersRun(0);
  return 0;
}

}  // namespace

int CmdWorker(const Args& args) {
  WorkerArgs parsed = Parse(args);
  if (parsed.help) {
    std::fputs(kWorkerHelp, stdout);
    return 0;
  }
  TStoreUrl url = TeamStoreUrl("worker");
  // A stop signal while the store is not reached yet ends the worker at once.
  CatchStopSignals();
  try {
    TPgStore{url, StopAsked};  // the schema must be this program's before anything starts
  } catch (const EPgError&) {
    if (StopAsked()) return 0;
    throw;
  }
  return Work(url, std::move(parsed));
}

int RunTeamTasks(const std::vector<std::string>& keywords, const std::vector<int>& engines,
                 int maxSeconds, bool json) {
  TStoreUrl url = TeamStoreUrl("run");
  std::vector<std::string> ids;
  {
    TPgStore store(url);
    for (const std::string& keyword : keywords) {
      std::string id = store.AddKey(keyword, LocalNowSeconds());
      if (id == "0") throw std::runtime_error("run: the keyword could not be stored");
      ids.push_back(id);
    }
    TPgTaskQueue(url, "", 0).Start(ids, engines);
  }
  CatchStopSignals();
  WorkerArgs parsed;
  parsed.options.Engines = engines;
  parsed.options.KeyIds = ids;
  parsed.options.UntilIdle = true;
  parsed.maxSeconds = maxSeconds;
  parsed.json = json;
  return Work(url, std::move(parsed));
}

}  // namespace zoqa::cli
