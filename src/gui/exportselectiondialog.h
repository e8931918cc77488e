// The export field selection window: the columns to export (company name, mobile numbers, QQ
// numbers, e-mail, site, landlines, address), quick-select links for one-column contact lists
// and for everything, and the text/spreadsheet choice, a pair of radio buttons (one of the two
// formats is always chosen). "确 定" hands the choice to the main window and closes, or, with no
// column ticked, says so and stays open; "取 消" only closes. Every export request opens a
// window of its own, freed when it closes.
#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include <string>

#include "export/exportfields.h"

namespace zoqa {

// The refusal of an export without any column.
inline constexpr char kNoFieldText[] = "请至少选择一个需要导出的字段！";

class TExportSelectionDialog : public QDialog {
  Q_OBJECT

 public:
  // Quick-select links.
  enum TQuickPick { qpQQ, qpMobile, qpEmail, qpAll };
  // Boxes, in the order of the quick-select table.
  enum TBox {
    bxCompany,
    bxQQ,
    bxMobile,
    bxEmail,
    bxAddress,
    bxUrl,
    bxTel,
    bxText,
    bxExcel,
    bxCount
  };

  TExportSelectionDialog(const std::string& keyword, QWidget* parent = nullptr);

  const std::string& Keyword() const { return keyword_; }
  // The check boxes, and the two format radio buttons.
  QAbstractButton* Box(TBox box) const { return boxes_[box]; }
  QLabel* Link(TQuickPick pick) const { return links_[pick]; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* CancelButton() const { return cancel_; }

  void QuickPick(TQuickPick pick);

 signals:
  // The user's choice; `asText` false means a spreadsheet.
  void ExportChosen(const std::string& keyword, const TExportFields& fields, bool asText);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Confirm();

  std::string keyword_;
  QAbstractButton* boxes_[bxCount];
  QLabel* links_[4];
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace zoqa
