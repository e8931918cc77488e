#include "recordingview.h"

#include <algorithm>

#include "util/codepage.h"
#include "util/msgbox.h"

namespace zoqa::test {
namespace {

std::string U(const std::string& cp936) {
  return Cp936ToUtf8(cp936);
}

std::string Flag(bool on) {
  return on ? "1" : "0";
}

}  // namespace

std::vector<std::string> TRecordingView::CallsStarting(
    const std::vector<std::string>& prefixes) const {
  std::vector<std::string> out;
  for (const std::string& call : Calls) {
    for (const std::string& prefix : prefixes) {
      if (call.starts_with(prefix)) {
        out.push_back(call);
        break;
      }
    }
  }
  return out;
}

std::vector<std::string> TRecordingView::ItemCalls(const std::string& keywordUtf8) const {
  return CallsStarting({"AddKeyItem " + keywordUtf8 + "|", "SetItemButton " + keywordUtf8 + "|",
                        "SetItemDate " + keywordUtf8 + "|", "SetItemCount " + keywordUtf8 + "|",
                        "RemoveKeyItem " + keywordUtf8});
}

int TRecordingView::Count(const std::string& call) const {
  return static_cast<int>(std::count(Calls.begin(), Calls.end(), call));
}

const TRecordingView::TItem* TRecordingView::Item(const std::string& keywordUtf8) const {
  auto it = items_.find(keywordUtf8);
  return it == items_.end() ? nullptr : &it->second;
}

std::vector<std::string> TRecordingView::GridNames() const {
  std::vector<std::string> names;
  for (const TCompany& row : rows_) names.push_back(U(row.GetName()));
  return names;
}

void TRecordingView::Record(const std::string& call) {
  Repaint();
  Calls.push_back(call);
}

void TRecordingView::Repaint() const {
  std::size_t bytes = 0;
  for (const TCompany& row : rows_) bytes += row.ComName.size() + row.Mobiles.size();
  painted_ = bytes;
}

void TRecordingView::AddKeyItem(const std::string& keyword, const std::string& countText,
                                const std::string& dateText) {
  Record("AddKeyItem " + U(keyword) + "|" + U(countText) + "|" + U(dateText));
  if (items_.count(U(keyword)) == 0) order_.push_back(U(keyword));
  items_[U(keyword)] = TItem{U(countText), U(dateText), kStartBtn, true, {}, {}};
}

void TRecordingView::SelectKeyItem(const std::string& keyword) {
  Record("SelectKeyItem " + U(keyword));
}

void TRecordingView::SetItemNote(const std::string& keyword, const std::string& text) {
  Record("SetItemNote " + U(keyword) + "|" + U(text));
  if (auto it = items_.find(U(keyword)); it != items_.end()) it->second.Note = U(text);
}

void TRecordingView::SetItemTip(const std::string& keyword, const std::string& text) {
  Record("SetItemTip " + U(keyword) + "|" + U(text));
  if (auto it = items_.find(U(keyword)); it != items_.end()) it->second.Tip = U(text);
}

void TRecordingView::SetItemButton(const std::string& keyword, int tag, bool enabled,
                                   const std::string& style) {
  Record("SetItemButton " + U(keyword) + "|" + std::to_string(tag) + "|" + Flag(enabled) + "|" +
         style);
  auto it = items_.find(U(keyword));
  if (it == items_.end() || tag != 0) return;
  it->second.Style = style;
  it->second.Enabled = enabled;
}

void TRecordingView::SetItemDate(const std::string& keyword, const std::string& text) {
  Record("SetItemDate " + U(keyword) + "|" + U(text));
  auto it = items_.find(U(keyword));
  if (it != items_.end()) it->second.Date = U(text);
}

void TRecordingView::SetItemCount(const std::string& keyword, const std::string& text) {
  Record("SetItemCount " + U(keyword) + "|" + U(text));
  auto it = items_.find(U(keyword));
  if (it != items_.end()) it->second.Count = U(text);
}

void TRecordingView::RemoveKeyItem(const std::string& keyword) {
  Record("RemoveKeyItem " + U(keyword));
  items_.erase(U(keyword));
  std::erase(order_, U(keyword));
}

void TRecordingView::RemoveAllKeyItems() {
  Record("RemoveAllKeyItems");
  items_.clear();
  order_.clear();
}

void TRecordingView::ShowEntry(const std::string& keyword) {
  Record("ShowEntry " + U(keyword));
}

void TRecordingView::SetTip(const std::string& title, const std::string& text) {
  Record("SetTip " + U(title) + "|" + U(text));
  tipText_ = U(text);
}

void TRecordingView::SetTipText(const std::string& text) {
  Record("SetTipText " + U(text));
  tipText_ = U(text);
}

void TRecordingView::SetStatusBar(const std::string& text) {
  Record("SetStatusBar " + U(text));
  statusBar_ = U(text);
}

void TRecordingView::SetTotalLabel(const std::string& text) {
  Record("SetTotalLabel " + U(text));
}

void TRecordingView::SetRecordCountLabel(const std::string& text) {
  Record("SetRecordCountLabel " + U(text));
}

void TRecordingView::ClearGrid() {
  Record("ClearGrid");
  rows_.clear();
}

void TRecordingView::FillGrid(TCompanySource& source, const std::string& keyword) {
  rows_.clear();
  source.OpenCompanies(keyword, TSortOrder{})->NextBatch(rows_, SIZE_MAX);
  Record("FillGrid " + std::to_string(rows_.size()));
}

void TRecordingView::AppendGridRow(const TCompany& company) {
  rows_.push_back(company);
  Record("AppendGridRow " + U(company.GetName()));
}

bool TRecordingView::RemoveGridRow(const std::string& listId) {
  auto row = std::find_if(rows_.begin(), rows_.end(),
                          [&](const TCompany& company) { return company.ListId == listId; });
  if (row == rows_.end()) return false;
  Record("RemoveGridRow " + U(row->GetName()));
  rows_.erase(row);
  return true;
}

void TRecordingView::ShowLoading(bool on) {
  Record("ShowLoading " + Flag(on));
  loading_ = on;
}

void TRecordingView::HideBackground() {
  Record("HideBackground");
}

int TRecordingView::ShowMsg(const std::string& text, const std::string&, int kind) {
  Record("ShowMsg " + std::to_string(kind) + "|" + U(text));
  if (kind != mkQuestion) return 0;
  if (Answers.empty()) return kMsgOk;
  int answer = Answers.front();
  Answers.pop_front();
  return answer;
}

void TRecordingView::ShowTaskMenu(const std::string& keyword) {
  Record("ShowTaskMenu " + U(keyword));
}

void TRecordingView::OpenExportSelection(const std::string& keyword) {
  Record("OpenExportSelection " + U(keyword));
}

bool TRecordingView::EngineChecked(int engine) const {
  return engine >= 0 && engine < 3 && Engines[static_cast<std::size_t>(engine)];
}

void TRecordingView::CompanyStored(const std::string& keyword, const TCompany& company) {
  Record("CompanyStored " + U(keyword) + "|" + U(company.GetName()));
}

}  // namespace zoqa::test
