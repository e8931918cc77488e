// A main-window view for the controller tests: it records every call the controller makes,
// in order and in UTF-8, keeps the keyword items and the grid as a window would, answers
// message boxes from a script and has its own engine check boxes.
#pragma once

#include <array>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "app/view.h"

namespace zoqa::test {

class TRecordingView : public TView {
 public:
  // A keyword item as the window shows it.
  struct TItem {
    std::string Count;
    std::string Date;
    std::string Style;  // of the start button (tag 0)
    bool Enabled = true;
    std::string Note;
    std::string Tip;
  };

  // Every call, e.g. "SetItemButton 广州 电子|0|1|stopbtn" (booleans as 0 and 1).
  std::vector<std::string> Calls;
  // Answers of the next question boxes, first to last; an empty script answers OK.
  std::deque<int> Answers;
  // The check boxes "百度", "搜狗" and "360".
  std::array<bool, 3> Engines{true, true, true};

  // The calls whose text starts with any of `prefixes`, in order.
  std::vector<std::string> CallsStarting(const std::vector<std::string>& prefixes) const;
  // The calls that mention the item of `keywordUtf8` (SetItem..., AddKeyItem, RemoveKeyItem).
  std::vector<std::string> ItemCalls(const std::string& keywordUtf8) const;
  int Count(const std::string& call) const;
  void Clear() { Calls.clear(); }

  // The items by keyword (UTF-8) and in list order.
  const TItem* Item(const std::string& keywordUtf8) const;
  std::vector<std::string> ItemOrder() const { return order_; }
  // Names (UTF-8) of the grid's rows, read from the records they refer to.
  std::vector<std::string> GridNames() const;
  const TCompany* Row(std::size_t i) const { return &rows_.at(i); }
  const std::string& TipText() const { return tipText_; }
  const std::string& StatusBar() const { return statusBar_; }
  bool Loading() const { return loading_; }

  void AddKeyItem(const std::string& keyword, const std::string& countText,
                  const std::string& dateText) override;
  void SetItemButton(const std::string& keyword, int tag, bool enabled,
                     const std::string& style) override;
  void SetItemDate(const std::string& keyword, const std::string& text) override;
  void SetItemCount(const std::string& keyword, const std::string& text) override;
  void RemoveKeyItem(const std::string& keyword) override;
  void RemoveAllKeyItems() override;
  void SelectKeyItem(const std::string& keyword) override;
  void SetItemNote(const std::string& keyword, const std::string& text) override;
  void SetItemTip(const std::string& keyword, const std::string& text) override;
  void ShowEntry(const std::string& keyword) override;
  void SetTip(const std::string& title, const std::string& text) override;
  void SetTipText(const std::string& text) override;
  void SetStatusBar(const std::string& text) override;
  void SetTotalLabel(const std::string& text) override;
  void SetRecordCountLabel(const std::string& text) override;
  void ClearGrid() override;
  void FillGrid(TCompanySource& source, const std::string& keyword) override;
  void AppendGridRow(const TCompany& company) override;
  bool RemoveGridRow(const std::string& listId) override;
  int GridRowCount() const override { return static_cast<int>(rows_.size()); }
  void ShowLoading(bool on) override;
  void HideBackground() override;
  int ShowMsg(const std::string& text, const std::string& caption, int kind) override;
  void ShowTaskMenu(const std::string& keyword) override;
  void OpenExportSelection(const std::string& keyword) override;
  bool EngineChecked(int engine) const override;
  void CompanyStored(const std::string& keyword, const TCompany& company) override;

 private:
  void Record(const std::string& call);
  // Reads every row's record, as a grid does when it repaints: a row whose record was freed
  // shows up under AddressSanitizer.
  void Repaint() const;

  std::map<std::string, TItem> items_;
  std::vector<std::string> order_;
  std::vector<TCompany> rows_;  // copies, read whole through the store's cursor
  std::string tipText_;
  std::string statusBar_;
  bool loading_ = false;
  mutable std::size_t painted_ = 0;  // bytes read by the last repaint
};

}  // namespace zoqa::test
