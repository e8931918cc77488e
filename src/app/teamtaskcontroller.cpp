#include "app/teamtaskcontroller.h"

#include <atomic>
#include <future>

#include "app/teamworkersetup.h"
#include "harvest/base/engine.h"
#include "util/codepage.h"

namespace zoqa {
namespace {

std::string EngineText(int engine) {
  if (engine == egBaidu) return Cp936("百度");
  if (engine == egSogou) return Cp936("搜狗");
  return "360";
}

std::string StateText(const std::string& state) {
  if (state == "ready") return Cp936("待采");
  if (state == "leased") return Cp936("采集中");
  if (state == "paused") return Cp936("暂停");
  if (state == "done") return Cp936("完成");
  return Cp936("失败");
}

}  // namespace

TKeyTasks DescribeTasks(const std::vector<TTaskRow>& tasks, const std::string& self) {
  TKeyTasks described;
  for (const TTaskRow& task : tasks) {
    described.Keyword = task.Keyword;
    described.Open = described.Open || task.State == "ready" || task.State == "leased";
    std::string engine = EngineText(task.Engine);
    std::string state = StateText(task.State);
    if (!described.Note.empty()) described.Note += " ";
    described.Note += engine + state;
    std::string line = engine + Cp936("：") + state;
    if (task.State == "leased") {
      line += Cp936("（") + (task.Owner == self ? Cp936("本机") : task.Owner) + Cp936("）");
    }
    if (task.State == "failed" && !task.LastError.empty()) {
      line += Cp936("（") + Utf8ToCp936(task.LastError) + Cp936("）");
    }
    line += Cp936("，下次从第") + std::to_string(task.Page + 1) + Cp936("页起");
    if (!described.Tip.empty()) described.Tip += "\n";
    described.Tip += line;
  }
  return described;
}

TTeamTaskController::TTeamTaskController(const TStoreUrl& url, bool workHere,
                                         const std::string& workerName)
    : name_(workerName), mainPort_(TMainThreadPort::Create()) {
  TWorkerOptions options;
  options.Name = name_;
  options.LeaseSeconds = TeamLeaseSeconds();
  options.TasksPerEngine = TeamTasksPerEngine();
  if (workHere) options.Engines = {egBaidu, egSogou, eg360};
  // Set from this thread on quit: a connect of the loop's thread under way gives up at once,
  // so that the drain asked for next is not held up by an unreachable store.
  std::shared_ptr<std::atomic<bool>> quit = quit_;
  options.QuitAsked = [quit] { return quit->load(); };

  // Every report is handed to this thread; once the port closed, none runs any more.
  std::shared_ptr<TMainThreadPort> port = mainPort_;
  TTeamReports reports;
  reports.Tasks = [this, port](std::vector<TTaskRow> rows, std::uint64_t done) {
    port->Post([this, rows = std::move(rows), done] { TasksRead(rows, done); });
  };
  reports.Status = [this, port](const std::string& keyword, const std::string& text) {
    port->Post([this, keyword, text] {
      if (OnStatus) OnStatus(keyword, text);
    });
  };
  reports.Company = [this, port](const std::string& keyword, const TCompany& company) {
    auto copy = std::make_shared<TCompany>();
    copy->Assign(company);
    port->Post([this, keyword, copy] {
      if (OnCompany) OnCompany(keyword, *copy);
    });
  };
  reports.StoreLost = [this, port](bool lost) {
    port->Post([this, lost] {
      if (OnStoreLost) OnStoreLost(lost);
    });
  };

  auto ready = std::make_shared<std::promise<TTeamTaskLoop*>>();
  std::future<TTeamTaskLoop*> started = ready->get_future();
  auto loopPort = std::make_shared<std::shared_ptr<TMainThreadPort>>();
  thread_.reset(QThread::create([url, options, reports, ready, loopPort] {
    TTeamTaskLoop::Run(url, options, reports,
                       [&](TTeamTaskLoop* loop, std::shared_ptr<TMainThreadPort> port) {
                         *loopPort = std::move(port);
                         ready->set_value(loop);
                       });
  }));
  thread_->setObjectName("team tasks");
  thread_->start();
  loop_ = started.get();
  loopPort_ = *loopPort;
}

TTeamTaskController::~TTeamTaskController() {
  EndWork([] {});
  mainPort_->Close();
}

void TTeamTaskController::Start(const std::string& keyId, const std::vector<int>& engines) {
  Send(TTeamCommand::Start, keyId, engines);
}

void TTeamTaskController::Pause(const std::string& keyId) {
  Send(TTeamCommand::Pause, keyId, {egBaidu, egSogou, eg360});
}

void TTeamTaskController::Stop(const std::string& keyId) {
  Send(TTeamCommand::Stop, keyId, {egBaidu, egSogou, eg360});
}

void TTeamTaskController::Send(TTeamCommand::TKind kind, const std::string& keyId,
                               const std::vector<int>& engines) {
  if (!thread_) return;
  TTeamCommand command{kind, {keyId}, engines};
  ++commandsSent_;
  TTeamTaskLoop* loop = loop_;
  loopPort_->Post(
      [loop, command = std::move(command)]() mutable { loop->Command(std::move(command)); });
}

// A read made before the last command was carried out shows states that command changed:
// it is passed over, and the next read shows them.
void TTeamTaskController::TasksRead(const std::vector<TTaskRow>& rows, std::uint64_t commandsDone) {
  if (commandsDone < commandsSent_) return;
  std::map<std::string, std::vector<TTaskRow>> byKeyword;
  for (const TTaskRow& row : rows) byKeyword[row.Keyword].push_back(row);
  for (const auto& [keyword, tasks] : byKeyword) {
    TKeyTasks described = DescribeTasks(tasks, name_);
    auto shown = shown_.find(keyword);
    if (shown != shown_.end() && shown->second.Open == described.Open &&
        shown->second.Note == described.Note && shown->second.Tip == described.Tip) {
      continue;
    }
    shown_[keyword] = described;
    if (OnKeyTasks) OnKeyTasks(described);
  }
}

void TTeamTaskController::EndWork(const std::function<void()>& pump) {
  if (!thread_) return;
  TTeamTaskLoop* loop = loop_;
  quit_->store(true);
  loopPort_->Post([loop] { loop->Drain(); });
  while (!thread_->wait(50)) pump();
  thread_.reset();
  pump();  // the last reports
}

}  // namespace zoqa
