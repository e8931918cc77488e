// The result grid: a table view over TResultModel with fixed 24-pixel rows, alternating
// backgrounds, no grid lines and no focus frame. A double-click asks for the selected row's
// details; its right-click menu holds "删除" for the selected row; a header click sorts;
// Ctrl+C copies a cell.
#pragma once

#include <QMenu>
#include <QTableView>

#include "gui/resultmodel.h"

namespace zoqa {

class TResultGrid : public QTableView {
  Q_OBJECT

 public:
  explicit TResultGrid(QWidget* parent = nullptr);

  TResultModel& Model() { return model_; }
  // The selected row, or -1.
  int SelectedRow() const;
  QMenu& DeleteMenu() { return menu_; }

 signals:
  void DetailsRequested(int row);
  void DeleteRequested(int row);

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  // Ctrl+C copies the current cell's whole value, its entries separated by blanks.
  void keyPressEvent(QKeyEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  void FitColumns();

  TResultModel model_;
  QMenu menu_;
};

}  // namespace zoqa
