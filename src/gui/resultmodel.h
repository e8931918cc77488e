// The result grid's rows: a window onto one keyword's companies in the store. The model knows
// only how many there are; the records it shows are read through the store's cursors a block
// at a time around the rows the view asks for, and the two blocks read last are kept. Rows
// come in the store's order until a column is sorted; the store then hands them out in that
// order through an index. A company stored meanwhile adds a row at once and the rows on show
// are read again. A cell's tooltip holds its whole value, one list entry per line. The keys of
// the rows at the ends of every block read are kept: a block is read on from the nearest key
// before or after it, or from the nearer end of the order, so that scrolling anywhere in a
// million rows walks few of them.
#pragma once

#include <QAbstractTableModel>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "harvest/report/company.h"
#include "store/companycursor.h"

namespace zoqa {

class TResultModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { colBadge, colName, colMobile, colQQ, colEmail, colSource, colCount };
  // The cell's text exactly as computed (code page 936 decoded, carriage returns kept); the
  // display role shows it without the carriage returns.
  static constexpr int kCellTextRole = Qt::UserRole + 1;
  // Rows read from the store at a time.
  static constexpr int kBlockRows = 256;

  using QAbstractTableModel::QAbstractTableModel;

  // Cell texts of a record (code page 936).
  static std::string NameCell(const TCompany& company);
  static std::string MobileCell(const TCompany& company);
  static std::string QQCell(const TCompany& company);
  static std::string EmailCell(const TCompany& company);
  static std::string SourceCell(const TCompany& company);
  // 0 paid badge, 1 certified badge, 2 empty.
  static int BadgeKind(const TCompany& company);
  // The store order a grid column sorts by.
  static TSortOrder SortOrderFor(int column, Qt::SortOrder order);

  void Clear();
  // Shows the companies of `keyword` from `source`, which must outlive the model's use of it
  // (until Clear or the next Show).
  void Show(TCompanySource& source, const std::string& keyword);
  // A company was stored for the keyword on show: one row more, and the rows read again.
  void Append(const TCompany& company);
  // The record of a row, read from the store when needed; nullptr for a row outside the grid
  // or one the store cannot read. Valid until the model reads other rows.
  const TCompany* Record(int row) const;
  // The order the rows are in.
  TSortOrder Order() const { return order_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Sorts by `column`, ties in the store's order; a column below 0 leaves the order alone.
  void sort(int column, Qt::SortOrder order) override;

 private:
  struct TBlock {
    int first = -1;  // row of rows[0]; -1 when empty
    std::vector<TCompany> rows;
  };

  void Forget();
  const TBlock* Fetch(int first) const;
  void ReadBlock(int first, int count, std::vector<TCompany>& rows) const;
  QVariant ToolTip(const TCompany& company, int column) const;

  TCompanySource* source_ = nullptr;
  std::string keyword_;
  int count_ = 0;
  TSortOrder order_;
  // The two blocks read last, [0] the newer.
  mutable TBlock blocks_[2];
  // Keys of rows read in the current order, by row.
  mutable std::map<int, TRowKey> keys_;
};

}  // namespace zoqa
