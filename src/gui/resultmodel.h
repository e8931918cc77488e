// The result grid's rows: each row refers to a company record the store owns, and every cell
// is computed from that record when the view asks for it. The model keeps only the row ->
// record table, so refilling it with a keyword of any size is one pass over pointers. Rows
// come in the store's order until a column is sorted; from then on new rows take their
// place in that order. A cell's tooltip holds its whole value, one list entry per line.
#pragma once

#include <QAbstractTableModel>

#include <string>
#include <vector>

#include "harvest/report/company.h"
#include "store/companylist.h"

namespace zoqa {

class TResultModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { colBadge, colName, colMobile, colQQ, colEmail, colSource, colCount };
  // The cell's text exactly as computed (code page 936 decoded, carriage returns kept); the
  // display role shows it without the carriage returns.
  static constexpr int kCellTextRole = Qt::UserRole + 1;

  using QAbstractTableModel::QAbstractTableModel;

  // Cell texts of a record (code page 936).
  static std::string NameCell(const TCompany& company);
  static std::string MobileCell(const TCompany& company);
  static std::string QQCell(const TCompany& company);
  static std::string EmailCell(const TCompany& company);
  static std::string SourceCell(const TCompany& company);
  // 0 paid badge, 1 certified badge, 2 empty.
  static int BadgeKind(const TCompany& company);
  // What a column sorts by: the whole value, before any cut (code page 936 bytes, whose order
  // puts the common Chinese characters in their reading order).
  static std::string SortKey(const TCompany& company, int column);

  void Clear();
  void Fill(const TCompanyList& list);
  void Append(const TCompany& company);
  // The record of a row; nullptr for a row outside the grid.
  const TCompany* Record(int row) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Sorts by `column`, ties in the store's order; a column below 0 leaves the order alone.
  void sort(int column, Qt::SortOrder order) override;

 private:
  void SortRows();
  bool Before(const TCompany& a, const TCompany& b) const;
  QVariant ToolTip(const TCompany& company, int column) const;

  std::vector<const TCompany*> rows_;
  int sortColumn_ = -1;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

}  // namespace zoqa
