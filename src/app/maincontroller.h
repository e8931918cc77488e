// The main window's logic without its widgets: it owns the keyword and result store, knows
// which keyword the grid shows, handles the harvesting reports and the store's events, and
// carries out the task commands of the keyword panel and the grid. Everything it shows goes
// through a TView. It lives on the main thread, which must run a Qt event loop.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/view.h"
#include "harvest/report/harvestsink.h"
#include "store/keylist.h"
#include "store/taskctl.h"

namespace zoqa {

// "YYYY-MM-DD hh:mm:ss" of the store's wall-clock seconds, without time-zone conversion.
std::string FormatKeyDate(std::int64_t seconds);

class TTeamTaskController;
struct TKeyTasks;

class TMainController : public THarvestSink {
 public:
  // The longest keyword the engines take, in bytes of code page 936.
  static constexpr std::size_t kMaxKeywordBytes = 76;

  // Opens the store (Data/users in the program directory; raises ESQLiteException when it
  // cannot) and lists every stored keyword in the view. On the team store, the keywords'
  // tasks are set and followed there, and with [store] WorkHere a worker harvests them.
  explicit TMainController(TView& view);
  ~TMainController() override;

  TKeyListInfo& Store() { return *keyList_; }
  const std::string& CurrentKey() const { return currentKey_; }
  // The progress line of a company a crawler found: its name without markup.
  std::string CompanyText(const TCompany& company);

  // Harvesting reports, on the main thread.
  void HarvestMessage(const THarvestMessage& message) override;

  // Task commands.
  void StartSearch(const std::string& keyword);
  void PauseTask(const std::string& keyword);
  void StopTask(const std::string& keyword, bool withStatus);
  bool DeleteKeyword(const std::string& keyword);
  void BeginExport(const std::string& keyword);
  // The add-task button with the entry's text; true when the keyword is in the store. The
  // keyword added or found becomes the one on show before the start question.
  bool AddTask(const std::string& entryText);
  // The export button: exports the keyword on show.
  void ExportButton();
  void ClearHistory();
  void SelectKeyword(const std::string& keyword);
  // A click on an item's button: 0 start (which shows the keyword) or task menu, 1 delete,
  // 4 export.
  void KeyButtonClick(const std::string& keyword, int tag);
  // The grid's delete command on the record of a row.
  void DeleteCompany(const TCompany& company);

  // The start button's style of the keyword's item, as the window sees it.
  std::string ItemStyle(const std::string& keyword) const;
  // Keywords with a task controller attached, and controllers still waiting for end reports.
  bool AnyTaskRunning() const;
  std::size_t LiveControllers() const { return controllers_.size(); }

  // The team store's task side; nullptr on the local store.
  TTeamTaskController* Team() const { return team_.get(); }
  // On the team store: the worker hands its tasks back at the pages reached and the team's
  // thread ends; `pump` serves the main thread meanwhile. Nothing on the local store.
  void EndTeamWork(const std::function<void()>& pump);

 private:
  void KeyAdded(TKeyData& key);
  void CompaniesLoaded(const std::string& keyword);
  // `here`: stored by this program, so the grid can place it among the rows it has read.
  void CompanyAdded(const std::string& keyword, const TCompany& company, bool here);
  void EngineDone(TTaskCtl& ctl, int engine, std::int32_t page, const std::string& keyword);

  void HarvestCompany(const TCompany& company);
  void HarvestStatus(const THarvestProgress& info);
  void HarvestPageDone(const THarvestProgress& info);

  void FillGrid(const std::string& keyword);
  void SetItemButton(const std::string& keyword, int tag, bool enabled, const std::string& style);
  void RefreshKeyItem(const std::string& keyword, int tag, bool enabled, const std::string& style);
  void SetKeyItemStatus(const std::string& keyword, const std::string& text, bool enabled,
                        const std::string& style, int tag);
  void RefreshKeyCount(const std::string& keyword);
  void ShowTotal();
  void ClearSelection();
  // Stops the keyword's tasks and removes it from the store and the view.
  void RemoveKeyword(const std::string& keyword);
  void Detach(TTaskCtl* ctl);
  bool FromDroppedTask(std::uint64_t task);
  // Stops the tasks that ran for `keyword` (for every keyword when empty) and drops whatever
  // they still report.
  void DropTasks(const std::string& keyword);
  bool CanStart(const std::string& keyword);
  void ShowTaskTip(const TKeyData& key);
  void AnnounceEnd(const TTaskCtl& ctl, const std::string& keyword);
  std::string DateLine(const std::string& keyword) const;

  // The team store (maincontrollerteam.cpp): the task commands set task states there, and
  // the worker's reports show as a local harvest's do.
  void StartTeam();
  void TeamStart(TKeyData& key);
  void TeamPause(TKeyData& key);
  void TeamStop(TKeyData& key);
  void TeamKeyTasks(const TKeyTasks& tasks);
  void TeamCompany(const std::string& keyword, const TCompany& company);

  TView& view_;
  std::unique_ptr<TKeyListInfo> keyList_;
  std::string currentKey_;
  std::map<std::string, std::string> itemStyles_;
  // The tip of keywords whose task is attached but searches no more (paused or ended).
  std::map<std::string, std::string> idleTips_;
  // Controllers attached to a keyword, and detached ones whose harvesters have not all ended.
  std::map<TTaskCtl*, std::shared_ptr<TTaskCtl>> controllers_;
  // The keyword of every task controller made, by serial, until its keyword goes; then its
  // serial moves to the dropped ones.
  std::map<std::uint64_t, std::string> taskKeys_;
  std::set<std::uint64_t> droppedTasks_;
  std::unique_ptr<TTeamTaskController> team_;
};

}  // namespace zoqa
