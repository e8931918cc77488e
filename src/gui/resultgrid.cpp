#include "gui/resultgrid.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPixmap>
#include <QStyledItemDelegate>

namespace zoqa {
namespace {

// Draws cells without the focus frame around the current cell, and the badge column's
// picture centred.
class TGridDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->state &= ~QStyle::State_HasFocus;
    if (index.column() == TResultModel::colBadge) {
      option->decorationAlignment = Qt::AlignCenter;
      option->decorationPosition = QStyleOptionViewItem::Top;
      // Each badge at its own size (the V is smaller than the 推广 badge).
      QPixmap badge = index.data(Qt::DecorationRole).value<QPixmap>();
      option->decorationSize = badge.deviceIndependentSize().toSize();
      option->features &= ~QStyleOptionViewItem::HasDisplay;
    }
    option->textElideMode = Qt::ElideNone;
  }
};

constexpr int kRowHeight = 24;
constexpr int kWidths[TResultModel::colCount] = {31, 231, 175, 100, 142, 40};

}  // namespace

TResultGrid::TResultGrid(QWidget* parent) : QTableView(parent), menu_(this) {
  setObjectName("resultGrid");
  setModel(&model_);
  setItemDelegate(new TGridDelegate(this));
  setShowGrid(false);
  setAlternatingRowColors(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setIconSize(QSize(24, 16));

  QHeaderView* rows = verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setMinimumSectionSize(kRowHeight);
  rows->setDefaultSectionSize(kRowHeight);

  QHeaderView* columns = horizontalHeader();
  columns->setHighlightSections(false);
  columns->setSectionsClickable(false);
  columns->setSectionResizeMode(QHeaderView::Interactive);
  columns->setMinimumSectionSize(20);
  for (int c = 0; c < TResultModel::colCount; ++c) setColumnWidth(c, kWidths[c]);
  columns->setSectionResizeMode(TResultModel::colBadge, QHeaderView::Fixed);
  columns->setStretchLastSection(true);

  QAction* remove = menu_.addAction(QString::fromUtf8("删除"));
  remove->setObjectName("deleteCompanyAction");
  connect(remove, &QAction::triggered, this, [this] {
    int row = SelectedRow();
    if (row >= 0) emit DeleteRequested(row);
  });
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { menu_.popup(viewport()->mapToGlobal(at)); });
}

int TResultGrid::SelectedRow() const {
  const QModelIndexList rows = selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.front().row();
}

void TResultGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  if (event->button() != Qt::LeftButton) return;
  int row = SelectedRow();
  if (row >= 0) emit DetailsRequested(row);
}

}  // namespace zoqa
