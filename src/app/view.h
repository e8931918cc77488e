// What the main window shows, as the controller drives it. The desktop program implements it
// with widgets, zoqa-cli on the terminal, tests with a recorder. All text is code page 936;
// keyword items are found by their keyword, compared byte for byte.
#pragma once

#include <cstdint>
#include <string>

#include "harvest/report/company.h"
#include "store/companycursor.h"

namespace zoqa {

// Styles of an item's start button (tag 0): idle, or running or stopping.
extern const char kStartBtn[];
extern const char kStopBtn[];

class TView {
 public:
  virtual ~TView() = default;

  // Keyword list. A new item has the idle start button.
  virtual void AddKeyItem(const std::string& keyword, const std::string& countText,
                          const std::string& dateText) = 0;
  // The item's button of `tag` gets the style and the enabled state.
  virtual void SetItemButton(const std::string& keyword, int tag, bool enabled,
                             const std::string& style) = 0;
  virtual void SetItemDate(const std::string& keyword, const std::string& text) = 0;
  virtual void SetItemCount(const std::string& keyword, const std::string& text) = 0;
  virtual void RemoveKeyItem(const std::string& keyword) = 0;
  virtual void RemoveAllKeyItems() = 0;
  // Picks the keyword's item in the list and scrolls it into view, as the list shows which
  // keyword the grid holds; this is not the user's selection. Views without a list ignore it.
  virtual void SelectKeyItem(const std::string& /*keyword*/) {}
  // A short note on the keyword's item, such as that its task has ended; empty removes it.
  virtual void SetItemNote(const std::string& /*keyword*/, const std::string& /*text*/) {}
  // Lines the item shows when the pointer rests on it, such as how its team tasks stand;
  // empty removes them.
  virtual void SetItemTip(const std::string& /*keyword*/, const std::string& /*text*/) {}

  // Keyword entry, tip panel, status bar and labels.
  virtual void ShowEntry(const std::string& keyword) = 0;
  virtual void SetTip(const std::string& title, const std::string& text) = 0;
  virtual void SetTipText(const std::string& text) = 0;
  virtual void SetStatusBar(const std::string& text) = 0;
  virtual void SetTotalLabel(const std::string& text) = 0;
  virtual void SetRecordCountLabel(const std::string& text) = 0;

  // Result grid: rows refer to the store's records, which outlive them until the grid is
  // cleared or refilled. A cleared grid shows no record count either.
  virtual void ClearGrid() = 0;
  // Shows the keyword's companies, read from `source` as the grid needs them.
  virtual void FillGrid(TCompanySource& source, const std::string& keyword) = 0;
  // A company stored by this program for the keyword on show.
  virtual void AppendGridRow(const TCompany& company) = 0;
  // A company another machine stored, for the keyword on show: the grid may have read it
  // already, so it cannot place it among the rows it knows.
  virtual void AppendOthersGridRow(const TCompany& company) { AppendGridRow(company); }
  // The store has just deleted the row of `listId`, and nothing else changed: true when the
  // grid took that row out; false when it cannot tell which row it was (it is left as it was).
  virtual bool RemoveGridRow(const std::string& /*listId*/) { return false; }
  virtual int GridRowCount() const = 0;
  virtual void ShowLoading(bool on) = 0;
  virtual void HideBackground() = 0;

  // Dialogs: a message box (kinds and answers of ShowMsg), the pause/stop menu of a running
  // keyword, and the export field selection for a keyword whose companies are in memory.
  virtual int ShowMsg(const std::string& text, const std::string& caption, int kind) = 0;
  virtual void ShowTaskMenu(const std::string& keyword) = 0;
  virtual void OpenExportSelection(const std::string& keyword) = 0;

  // The engine check boxes: 0 Baidu, 1 Sogou, 2 360.
  virtual bool EngineChecked(int engine) const = 0;

  // A company the store has just kept for `keyword`, whichever keyword is on show; for views
  // that follow every keyword (the terminal's). The window shows only its grid's keyword.
  virtual void CompanyStored(const std::string& /*keyword*/, const TCompany& /*company*/) {}
};

}  // namespace zoqa
