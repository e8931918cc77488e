// The result grid's rows: a window onto one keyword's companies in the store. The model knows
// only how many there are; the records it shows are read through the store's cursors a block
// at a time around the rows the view asks for, and the two blocks read last are kept. Rows
// come in the store's order until a column is sorted; the store then hands them out in that
// order through an index. A company stored meanwhile adds a row at once, at its place in the
// order. A cell's tooltip holds its whole value, one list entry per line. The keys of the rows
// at the ends of every block read are kept (TRowCache), and follow the rows as companies come
// and go: a block is read on from the nearest key before or after it, or from the nearer end
// of the order, so that scrolling anywhere in a million rows walks few of them.
#pragma once

#include <QAbstractTableModel>

#include <memory>
#include <optional>
#include <string>

#include "gui/rowcache.h"
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
  // A company was stored for the keyword on show: one row more, at its place among the rows
  // read when the store tells its key and `placeable` (nothing else changed the keyword since
  // they were read); otherwise at the end, with every row read again.
  void Append(const TCompany& company, bool placeable = true);
  // The store has just deleted the company of `listId` and nothing else: true when it was a
  // row the model holds, which it takes out; false, changing nothing, otherwise.
  bool Remove(const std::string& listId);
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
  void Forget();
  std::optional<TRowPlace> Place(const TCompany& company);
  const TCachedBlock* Fetch(int first) const;
  void ReadBlock(int first, int count, TCachedBlock& block) const;
  QVariant ToolTip(const TCompany& company, int column) const;

  TCompanySource* source_ = nullptr;
  std::string keyword_;
  int count_ = 0;
  TSortOrder order_;
  // The rows read in the current order and their keys.
  mutable TRowCache cache_;
};

}  // namespace zoqa
