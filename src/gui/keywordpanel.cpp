#include "gui/keywordpanel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStackedLayout>
#include <QStyle>
#include <QVBoxLayout>

#include "app/view.h"
#include "gui/guitext.h"
#include "gui/hintpopup.h"
#include "gui/keyitemwidget.h"

namespace zoqa {
namespace {

constexpr int kKeywordRole = Qt::UserRole + 1;

QByteArray KeyBytes(const std::string& keyword) {
  return QByteArray(keyword.data(), static_cast<qsizetype>(keyword.size()));
}

}  // namespace

TKeywordPanel::TKeywordPanel(QWidget* parent)
    : QWidget(parent),
      entryFrame_(new QWidget(this)),
      entry_(new QLineEdit(entryFrame_)),
      hint_(new QLabel(QString::fromUtf8("在此处输入关键词添加任务"), entryFrame_)),
      addTask_(new QPushButton(QString::fromUtf8("添加任务"), this)),
      engines_{new QCheckBox(QString::fromUtf8("百度"), this),
               new QCheckBox(QString::fromUtf8("搜狗"), this),
               new QCheckBox(QStringLiteral("360"), this)},
      export_(new QPushButton(QString::fromUtf8("导出资料"), this)),
      tipTitle_(new QLabel(QString::fromUtf8("温馨提示："), this)),
      tipText_(new QLabel(
          QString::fromUtf8("关键词可以是地区+产品，比如：广州 电子公司 或 上海 网络公司"), this)),
      clearHistory_(new QPushButton(QString::fromUtf8("清空历史关键词"), this)),
      list_(new QListWidget(this)),
      hintPopup_(new THintPopup(this)) {
  setObjectName("leftPanel");
  setAttribute(Qt::WA_StyledBackground);

  // Entry: the grey hint lies where the entry is until the user clicks it.
  entryFrame_->setObjectName("entryFrame");
  entryFrame_->setAttribute(Qt::WA_StyledBackground);
  entryFrame_->setFixedHeight(34);
  entry_->setObjectName("keywordEntry");
  hint_->setObjectName("entryHint");
  hint_->setCursor(Qt::IBeamCursor);
  auto* stack = new QStackedLayout(entryFrame_);
  stack->setStackingMode(QStackedLayout::StackAll);
  stack->setContentsMargins(0, 0, 0, 0);
  stack->addWidget(entry_);
  stack->addWidget(hint_);
  entry_->hide();
  hint_->installEventFilter(this);
  entry_->installEventFilter(this);

  addTask_->setObjectName("addTaskButton");
  addTask_->setCursor(Qt::PointingHandCursor);
  addTask_->setFixedHeight(34);
  connect(addTask_, &QPushButton::clicked, this, [this] { emit AddTaskRequested(entry_->text()); });
  connect(entry_, &QLineEdit::returnPressed, addTask_, &QPushButton::click);

  auto* source = new QLabel(QString::fromUtf8("信息来源："), this);
  source->setObjectName("sourceLabel");
  for (QCheckBox* box : engines_) box->setChecked(true);
  engines_[0]->setObjectName("engineBaidu");
  engines_[1]->setObjectName("engineSogou");
  engines_[2]->setObjectName("engine360");
  export_->setObjectName("exportButton");
  export_->setCursor(Qt::PointingHandCursor);
  connect(export_, &QPushButton::clicked, this, &TKeywordPanel::ExportRequested);

  auto* tip = new QWidget(this);
  tip->setObjectName("tipPanel");
  tip->setAttribute(Qt::WA_StyledBackground);
  tipTitle_->setObjectName("tipTitle");
  tipText_->setObjectName("tipText");
  tipText_->setWordWrap(true);
  tipText_->setTextFormat(Qt::PlainText);
  tipText_->setMinimumHeight(36);
  tipText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  auto* tipLayout = new QVBoxLayout(tip);
  tipLayout->setContentsMargins(10, 8, 10, 8);
  tipLayout->setSpacing(4);
  tipLayout->addWidget(tipTitle_);
  tipLayout->addWidget(tipText_);

  auto* caption = new QLabel(QString::fromUtf8("已搜索关键词"), this);
  caption->setObjectName("historyCaption");
  clearHistory_->setObjectName("clearHistoryButton");
  clearHistory_->setCursor(Qt::PointingHandCursor);
  connect(clearHistory_, &QPushButton::clicked, this, [this] { emit ClearHistoryRequested(); });

  list_->setObjectName("keywordList");
  list_->setAlternatingRowColors(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    if (item == nullptr || !item->isSelected()) return;
    emit KeywordSelected(item->data(kKeywordRole).toByteArray().toStdString());
  });
  connect(list_, &QWidget::customContextMenuRequested, this, &TKeywordPanel::ListContextMenu);
  list_->installEventFilter(this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 12, 12, 0);
  layout->setSpacing(10);
  // The entry's hint must show whole beside the button: the row gives it what it can.
  auto* entryRow = new QHBoxLayout;
  entryRow->setSpacing(6);
  entryRow->addWidget(entryFrame_, 1);
  entryRow->addWidget(addTask_);
  layout->addLayout(entryRow);
  auto* sourceRow = new QHBoxLayout;
  sourceRow->setSpacing(6);
  sourceRow->addWidget(source);
  for (QCheckBox* box : engines_) sourceRow->addWidget(box);
  sourceRow->addStretch(1);
  layout->addLayout(sourceRow);
  layout->addWidget(tip);
  auto* historyRow = new QHBoxLayout;
  historyRow->addWidget(caption);
  historyRow->addStretch(1);
  historyRow->addWidget(clearHistory_);
  layout->addLayout(historyRow);
  layout->addWidget(list_, 1);

  BuildMenus();
}

void TKeywordPanel::BuildMenus() {
  keyMenu_ = new QMenu(this);
  keyMenu_->setObjectName("keyMenu");
  menuStart_ = keyMenu_->addAction(QString::fromUtf8("开始搜索"));
  menuPause_ = keyMenu_->addAction(QString::fromUtf8("暂停任务"));
  menuStop_ = keyMenu_->addAction(QString::fromUtf8("停止任务"));
  menuDelete_ = keyMenu_->addAction(QString::fromUtf8("删除关键词"));
  menuExport_ = keyMenu_->addAction(QString::fromUtf8("将结果导出到文件"));
  connect(menuStart_, &QAction::triggered, this,
          [this] { emit ItemButtonClicked(keyMenuKeyword_, 0); });
  connect(menuPause_, &QAction::triggered, this, [this] { emit PauseRequested(keyMenuKeyword_); });
  connect(menuStop_, &QAction::triggered, this, [this] { emit StopRequested(keyMenuKeyword_); });
  connect(menuDelete_, &QAction::triggered, this,
          [this] { emit ItemButtonClicked(keyMenuKeyword_, 1); });
  connect(menuExport_, &QAction::triggered, this,
          [this] { emit ItemButtonClicked(keyMenuKeyword_, 4); });

  taskMenu_ = new QMenu(this);
  taskMenu_->setObjectName("taskMenu");
  QAction* pause = taskMenu_->addAction(QString::fromUtf8("暂停任务"));
  QAction* stop = taskMenu_->addAction(QString::fromUtf8("停止任务"));
  connect(pause, &QAction::triggered, this, [this] { emit PauseRequested(taskMenuKeyword_); });
  connect(stop, &QAction::triggered, this, [this] { emit StopRequested(taskMenuKeyword_); });
}

// ---- entry

void TKeywordPanel::ShowHint(bool hint) {
  hint_->setVisible(hint);
  entry_->setVisible(!hint);
}

bool TKeywordPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == hint_ && event->type() == QEvent::MouseButtonPress) {
    ShowHint(false);
    entry_->setFocus(Qt::MouseFocusReason);
    return true;
  }
  if (watched == list_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
    // The Delete key deletes the highlighted keyword, as its delete button does.
    QListWidgetItem* item = list_->currentItem();
    if (item != nullptr && item->isSelected()) {
      emit ItemButtonClicked(item->data(kKeywordRole).toByteArray().toStdString(), 1);
    }
    return true;
  }
  if (watched == entry_) {
    if (event->type() == QEvent::FocusIn) {
      hint_->hide();
      entryFrame_->setProperty("focused", true);
    } else if (event->type() == QEvent::FocusOut) {
      entryFrame_->setProperty("focused", false);
      if (entry_->text().isEmpty()) ShowHint(true);
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
      entryFrame_->style()->unpolish(entryFrame_);
      entryFrame_->style()->polish(entryFrame_);
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TKeywordPanel::ShowEntry(const std::string& keyword) {
  entry_->setText(FromCp936(keyword));
  // An empty entry the user is not typing in shows the grey hint again.
  ShowHint(keyword.empty() && !entry_->hasFocus());
}

void TKeywordPanel::SetTip(const QString& title, const QString& text) {
  tipTitle_->setText(title);
  tipText_->setText(text);
}

void TKeywordPanel::SetTipText(const QString& text) {
  tipText_->setText(text);
}

bool TKeywordPanel::EngineChecked(int engine) const {
  return engine >= 0 && engine < 3 && engines_[engine]->isChecked();
}

// ---- items

void TKeywordPanel::AddKeyItem(const std::string& keyword, const QString& count,
                               const QString& date) {
  auto* item = new QListWidgetItem(list_);
  item->setData(kKeywordRole, KeyBytes(keyword));
  item->setSizeHint(QSize(0, TKeyItemWidget::kHeight));
  auto* widget = new TKeyItemWidget(keyword, count, date, hintPopup_);
  connect(widget, &TKeyItemWidget::ButtonClicked, this, &TKeywordPanel::ItemButtonClicked);
  list_->setItemWidget(item, widget);
}

QListWidgetItem* TKeywordPanel::ListItem(const std::string& keyword) const {
  QByteArray key = KeyBytes(keyword);
  for (int i = 0; i < list_->count(); ++i) {
    if (list_->item(i)->data(kKeywordRole).toByteArray() == key) return list_->item(i);
  }
  return nullptr;
}

TKeyItemWidget* TKeywordPanel::Item(const std::string& keyword) const {
  QListWidgetItem* item = ListItem(keyword);
  return item ? static_cast<TKeyItemWidget*>(list_->itemWidget(item)) : nullptr;
}

int TKeywordPanel::SearchingCount() const {
  int count = 0;
  for (int i = 0; i < list_->count(); ++i) {
    auto* item = static_cast<TKeyItemWidget*>(list_->itemWidget(list_->item(i)));
    if (item != nullptr && item->ButtonStyle(0) != kStartBtn) ++count;
  }
  return count;
}

void TKeywordPanel::SetItemButton(const std::string& keyword, int tag, bool enabled,
                                  const QString& style) {
  ForEachItem(keyword, [&](TKeyItemWidget& item) { item.SetButton(tag, enabled, style); });
}

void TKeywordPanel::SetItemDate(const std::string& keyword, const QString& text) {
  ForEachItem(keyword, [&](TKeyItemWidget& item) { item.SetDate(text); });
}

void TKeywordPanel::SetItemCount(const std::string& keyword, const QString& text) {
  ForEachItem(keyword, [&](TKeyItemWidget& item) { item.SetCount(text); });
}

void TKeywordPanel::SetItemNote(const std::string& keyword, const QString& text) {
  ForEachItem(keyword, [&](TKeyItemWidget& item) { item.SetNote(text); });
}

void TKeywordPanel::SetItemTip(const std::string& keyword, const QString& text) {
  ForEachItem(keyword, [&](TKeyItemWidget& item) { item.SetTipLines(text); });
}

void TKeywordPanel::ForEachItem(const std::string& keyword,
                                const std::function<void(TKeyItemWidget&)>& change) {
  QByteArray key = KeyBytes(keyword);
  for (int i = 0; i < list_->count(); ++i) {
    if (list_->item(i)->data(kKeywordRole).toByteArray() != key) continue;
    change(*static_cast<TKeyItemWidget*>(list_->itemWidget(list_->item(i))));
  }
}

void TKeywordPanel::SelectItem(const std::string& keyword) {
  QListWidgetItem* item = ListItem(keyword);
  if (item == nullptr) return;
  list_->setCurrentItem(item);
  list_->scrollToItem(item);
}

void TKeywordPanel::RemoveKeyItem(const std::string& keyword) {
  hintPopup_->hide();
  QByteArray key = KeyBytes(keyword);
  for (int i = list_->count() - 1; i >= 0; --i) {
    if (list_->item(i)->data(kKeywordRole).toByteArray() != key) continue;
    // The item's widget (with its buttons) goes with the item.
    delete list_->takeItem(i);
  }
}

void TKeywordPanel::RemoveAllKeyItems() {
  hintPopup_->hide();
  list_->clear();
}

// ---- menus

void TKeywordPanel::ListContextMenu(const QPoint& pos) {
  QListWidgetItem* item = list_->itemAt(pos);
  if (item == nullptr) return;
  OpenKeyMenu(item->data(kKeywordRole).toByteArray().toStdString(),
              list_->viewport()->mapToGlobal(pos));
}

void TKeywordPanel::OpenKeyMenu(const std::string& keyword, const QPoint& globalPos) {
  TKeyItemWidget* item = Item(keyword);
  if (item == nullptr) return;
  keyMenuKeyword_ = keyword;
  bool idle = item->ButtonStyle(0) == kStartBtn;
  menuStart_->setVisible(idle);
  menuPause_->setVisible(!idle);
  menuStop_->setVisible(!idle);
  keyMenu_->popup(globalPos);
}

void TKeywordPanel::OpenTaskMenu(const std::string& keyword, const QPoint& globalPos) {
  taskMenuKeyword_ = keyword;
  taskMenu_->popup(globalPos);
}

}  // namespace zoqa
