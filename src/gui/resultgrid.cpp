#include "gui/resultgrid.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QResizeEvent>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <algorithm>

namespace zoqa {
namespace {

// Draws cells without the focus frame around the current cell, and the badge column's
// picture centred. Text that does not fit ends in "…"; the cell's tooltip then shows the
// whole value, as it does for lists of several entries and for cut names.
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
    option->textElideMode = Qt::ElideRight;
  }

  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override {
    if (event->type() != QEvent::ToolTip || index.column() == TResultModel::colBadge) {
      return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    QString whole = index.data(Qt::ToolTipRole).toString();
    QString shown = index.data(Qt::DisplayRole).toString().trimmed();
    int margin = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1);
    bool cut = QString(whole).replace('\n', ' ') != shown ||
               option.fontMetrics.horizontalAdvance(shown) > option.rect.width() - margin;
    if (cut && !whole.isEmpty()) {
      QToolTip::showText(event->globalPos(), whole, view, option.rect);
    } else {
      QToolTip::hideText();
    }
    return true;
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
  columns->setSectionResizeMode(QHeaderView::Interactive);
  columns->setMinimumSectionSize(20);
  for (int c = 0; c < TResultModel::colCount; ++c) setColumnWidth(c, kWidths[c]);
  columns->setSectionResizeMode(TResultModel::colBadge, QHeaderView::Fixed);
  columns->setStretchLastSection(false);
  // A click on a header sorts by that column; the rows come in the store's order until then.
  columns->setSortIndicator(-1, Qt::AscendingOrder);
  setSortingEnabled(true);

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

// The columns keep their widths; what the grid has beyond them goes to the name and e-mail
// columns, whose values are the longest.
void TResultGrid::FitColumns() {
  int fixed = 0;
  for (int width : kWidths) fixed += width;
  int spare = std::max(0, viewport()->width() - fixed);
  int name = kWidths[TResultModel::colName];
  int email = kWidths[TResultModel::colEmail];
  int toName = spare * name / (name + email);
  setColumnWidth(TResultModel::colName, name + toName);
  setColumnWidth(TResultModel::colEmail, email + spare - toName);
}

bool TResultGrid::viewportEvent(QEvent* event) {
  // The viewport narrows when the vertical scroll bar comes, without a resize of the grid.
  if (event->type() == QEvent::Resize) {
    auto* resize = static_cast<QResizeEvent*>(event);
    if (resize->size().width() != resize->oldSize().width()) FitColumns();
  }
  return QTableView::viewportEvent(event);
}

int TResultGrid::SelectedRow() const {
  const QModelIndexList rows = selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.front().row();
}

void TResultGrid::keyPressEvent(QKeyEvent* event) {
  QModelIndex cell = currentIndex();
  if (!event->matches(QKeySequence::Copy) || !cell.isValid()) {
    QTableView::keyPressEvent(event);
    return;
  }
  // The shown text may be cut and ends in the blank that follows each list entry; the
  // tooltip holds the whole value, one entry per line.
  QString value =
      cell.column() == TResultModel::colBadge ? QString() : cell.data(Qt::ToolTipRole).toString();
  QGuiApplication::clipboard()->setText(value.replace('\n', ' ').trimmed());
  event->accept();
}

void TResultGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  if (event->button() != Qt::LeftButton) return;
  int row = SelectedRow();
  if (row >= 0) emit DetailsRequested(row);
}

}  // namespace zoqa
