// The main window's view on the terminal, for zoqa-cli run: what the window would show in its
// tip panel is written to stderr with the keyword in front, question boxes are answered with
// OK, and companies the store keeps can be printed as JSON lines on stdout.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "app/view.h"

namespace zoqa::cli {

class TTerminalView : public TView {
 public:
  TTerminalView(std::array<bool, 3> engines, bool json) : engines_(engines), json_(json) {}

  // A line on stderr: "keyword: text" (code page 936 in, UTF-8 out).
  static void Report(const std::string& keyword, const std::string& text);
  // The line on stderr for companies the store could not take before the end (none: no line).
  static void ReportUnwritten(std::size_t unwritten);

  void AddKeyItem(const std::string&, const std::string&, const std::string&) override {}
  void SetItemButton(const std::string&, int, bool, const std::string&) override {}
  void SetItemDate(const std::string&, const std::string&) override {}
  void SetItemCount(const std::string&, const std::string&) override {}
  void RemoveKeyItem(const std::string&) override {}
  void RemoveAllKeyItems() override {}
  void ShowEntry(const std::string&) override {}
  void SetTip(const std::string&, const std::string&) override {}
  void SetTipText(const std::string&) override {}
  void SetStatusBar(const std::string&) override {}
  void SetTotalLabel(const std::string&) override {}
  void SetRecordCountLabel(const std::string&) override {}
  void ClearGrid() override { rows_ = 0; }
  void FillGrid(TCompanySource& source, const std::string& keyword) override {
    rows_ = static_cast<int>(source.CountCompanies(keyword));
  }
  void AppendGridRow(const TCompany&) override { ++rows_; }
  int GridRowCount() const override { return rows_; }
  void ShowLoading(bool) override {}
  void HideBackground() override {}
  int ShowMsg(const std::string& text, const std::string& caption, int kind) override;
  void ShowTaskMenu(const std::string&) override {}
  void OpenExportSelection(const std::string&) override {}
  bool EngineChecked(int engine) const override;
  void CompanyStored(const std::string& keyword, const TCompany& company) override;

 private:
  std::array<bool, 3> engines_;
  bool json_;
  int rows_ = 0;
};

}  // namespace zoqa::cli
