// The left half of the main window: the keyword entry with its grey hint and "添加任务", the
// three engine boxes, "导出资料", the tip panel, "清空历史关键词" and the list of searched
// keywords with its item buttons and menus. It shows what it is told and reports what the
// user does; the main window passes the requests on to the controller.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QWidget>

#include <functional>
#include <string>

namespace zoqa {

class THintPopup;
class TKeyItemWidget;

class TKeywordPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TKeywordPanel(QWidget* parent = nullptr);

  // Items (keywords in code page 936; every item whose keyword equals it is changed).
  void AddKeyItem(const std::string& keyword, const QString& count, const QString& date);
  void SetItemButton(const std::string& keyword, int tag, bool enabled, const QString& style);
  void SetItemDate(const std::string& keyword, const QString& text);
  void SetItemCount(const std::string& keyword, const QString& text);
  void SetItemNote(const std::string& keyword, const QString& text);
  void SetItemTip(const std::string& keyword, const QString& text);
  // Picks the keyword's item and scrolls it into view, without reporting a selection.
  void SelectItem(const std::string& keyword);
  void RemoveKeyItem(const std::string& keyword);
  void RemoveAllKeyItems();
  // The first item of `keyword`, or nullptr.
  TKeyItemWidget* Item(const std::string& keyword) const;
  QListWidgetItem* ListItem(const std::string& keyword) const;
  // Items whose start button shows a running or stopping task.
  int SearchingCount() const;

  // Entry and tip panel.
  void ShowEntry(const std::string& keyword);
  QString EntryText() const { return entry_->text(); }
  void SetTip(const QString& title, const QString& text);
  void SetTipText(const QString& text);
  bool EngineChecked(int engine) const;

  // Opens the right-click menu of the keyword list for `keyword`'s item at `globalPos`.
  void OpenKeyMenu(const std::string& keyword, const QPoint& globalPos);
  // Opens the pause/stop menu of a running keyword at `globalPos`.
  void OpenTaskMenu(const std::string& keyword, const QPoint& globalPos);

  // Parts, for the window's look and for tests.
  QLineEdit* Entry() const { return entry_; }
  QLabel* EntryHint() const { return hint_; }
  QPushButton* AddTaskButton() const { return addTask_; }
  QPushButton* ExportButton() const { return export_; }
  QPushButton* ClearHistoryButton() const { return clearHistory_; }
  QCheckBox* EngineBox(int engine) const { return engines_[engine]; }
  QLabel* TipTitle() const { return tipTitle_; }
  QLabel* TipText() const { return tipText_; }
  QListWidget* List() const { return list_; }
  QMenu* KeyMenu() const { return keyMenu_; }
  QMenu* TaskMenu() const { return taskMenu_; }
  THintPopup* HintPopup() const { return hintPopup_; }

 signals:
  void AddTaskRequested(const QString& entryText);
  void ExportRequested();
  void ClearHistoryRequested();
  void KeywordSelected(const std::string& keyword);
  void ItemButtonClicked(const std::string& keyword, int tag);
  void PauseRequested(const std::string& keyword);
  void StopRequested(const std::string& keyword);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowHint(bool hint);
  void ForEachItem(const std::string& keyword, const std::function<void(TKeyItemWidget&)>& change);
  void BuildMenus();
  void ListContextMenu(const QPoint& pos);

  QWidget* entryFrame_;
  QLineEdit* entry_;
  QLabel* hint_;
  QPushButton* addTask_;
  QCheckBox* engines_[3];
  QPushButton* export_;
  QLabel* tipTitle_;
  QLabel* tipText_;
  QPushButton* clearHistory_;
  QListWidget* list_;
  THintPopup* hintPopup_;
  QMenu* keyMenu_;
  QAction* menuStart_;
  QAction* menuPause_;
  QAction* menuStop_;
  QAction* menuDelete_;
  QAction* menuExport_;
  std::string keyMenuKeyword_;
  QMenu* taskMenu_;
  std::string taskMenuKeyword_;
};

}  // namespace zoqa
