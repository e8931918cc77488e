// The window's side of the team store's task queue: the keyword item's start, pause and stop
// set the keyword's task states there, and every few seconds each keyword's tasks are read
// with their states and holders, for its item. When the program works here ([store]
// WorkHere), a worker harvests the team's tasks. The store calls run on a thread of their
// own (TTeamTaskLoop); this object lives on the main thread and reports there.
#pragma once

#include <QThread>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/teamtaskloop.h"

namespace zoqa {

// How a keyword's tasks stand, for its item (code page 936).
struct TKeyTasks {
  std::string Keyword;
  bool Open = false;  // a task is ready or held: the keyword is being searched
  std::string Note;   // short, such as "百度采集中 360待采 搜狗完成"
  std::string Tip;    // each engine on a line of its own, with holder and last error
};

// The item texts of one keyword's tasks; `self` is this machine's worker name.
TKeyTasks DescribeTasks(const std::vector<TTaskRow>& tasks, const std::string& self);

class TTeamTaskController {
 public:
  // Starts the loop's thread; with `workHere` it runs a worker on every engine under
  // `workerName`. No store call is made here.
  TTeamTaskController(const TStoreUrl& url, bool workHere, const std::string& workerName);
  ~TTeamTaskController();

  // Reports, on the main thread.
  std::function<void(const TKeyTasks&)> OnKeyTasks;  // a keyword whose tasks look different
  TTaskWorker::StatusEvent OnStatus;
  TTaskWorker::CompanyEvent OnCompany;
  std::function<void(bool lost)> OnStoreLost;

  void Start(const std::string& keyId, const std::vector<int>& engines);
  void Pause(const std::string& keyId);
  void Stop(const std::string& keyId);

  // Drains the worker (the pages reached are saved and the tasks handed back) and ends the
  // thread; `pump` serves the main thread meanwhile. Later calls do nothing.
  void EndWork(const std::function<void()>& pump);

  const std::string& WorkerName() const { return name_; }

 private:
  void Send(TTeamCommand::TKind kind, const std::string& keyId, const std::vector<int>& engines);
  void TasksRead(const std::vector<TTaskRow>& rows, std::uint64_t commandsDone);

  std::string name_;
  std::shared_ptr<TMainThreadPort> mainPort_;  // the loop's reports reach this thread here
  std::shared_ptr<TMainThreadPort> loopPort_;  // commands reach the loop here
  TTeamTaskLoop* loop_ = nullptr;              // used only in calls posted to loopPort_
  std::unique_ptr<QThread> thread_;
  std::shared_ptr<std::atomic<bool>> quit_ = std::make_shared<std::atomic<bool>>(false);
  std::uint64_t commandsSent_ = 0;
  std::map<std::string, TKeyTasks> shown_;  // by keyword
};

}  // namespace zoqa
