// The controller's updates of the keyword items and the labels.
#include "app/maincontroller.h"

#include "util/codepage.h"

namespace zoqa {

std::string TMainController::ItemStyle(const std::string& keyword) const {
  auto it = itemStyles_.find(keyword);
  return it == itemStyles_.end() ? std::string() : it->second;
}

bool TMainController::AnyTaskRunning() const {
  for (const auto& [ctl, holder] : controllers_) {
    if (ctl->HasRunning()) return true;
  }
  return false;
}

void TMainController::FillGrid(const std::string& keyword) {
  view_.HideBackground();
  view_.FillGrid(*keyList_, keyword);
  ShowTotal();
  view_.SetRecordCountLabel(Cp936("共 ") + std::to_string(view_.GridRowCount()) + Cp936(" 条记录"));
}

void TMainController::SetItemButton(const std::string& keyword, int tag, bool enabled,
                                    const std::string& style) {
  if (tag == 0 && itemStyles_.count(keyword) != 0) itemStyles_[keyword] = style;
  view_.SetItemButton(keyword, tag, enabled, style);
  view_.SetStatusBar("");
}

std::string TMainController::DateLine(const std::string& keyword) const {
  TKeyData* key = keyList_->FindKey(keyword);
  return key == nullptr ? std::string() : Cp936("最后更新：") + FormatKeyDate(key->AddDate);
}

void TMainController::RefreshKeyItem(const std::string& keyword, int tag, bool enabled,
                                     const std::string& style) {
  std::string date = DateLine(keyword);
  if (!date.empty()) view_.SetItemDate(keyword, date);
  SetItemButton(keyword, tag, enabled, style);
}

void TMainController::SetKeyItemStatus(const std::string& keyword, const std::string& text,
                                       bool enabled, const std::string& style, int tag) {
  view_.SetItemDate(keyword, text);
  SetItemButton(keyword, tag, enabled, style);
}

void TMainController::RefreshKeyCount(const std::string& keyword) {
  TKeyData* key = keyList_->FindKey(keyword);
  if (key == nullptr) return;
  view_.SetItemCount(keyword, std::to_string(key->ListCount) + Cp936("条"));
  view_.SetItemDate(keyword, DateLine(keyword));
}

void TMainController::ShowTotal() {
  std::string total =
      Cp936("当前已采集记录：") + std::to_string(keyList_->TotalListCount()) + Cp936("条");
  // On the team store the line also names its server and database (never its password).
  if (keyList_->Backend().Shared()) total += Cp936("　团队库：") + keyList_->Backend().Label();
  view_.SetTotalLabel(total);
}

}  // namespace zoqa
