#include "gui/keyitemwidget.h"

#include <QEvent>
#include <QStyle>
#include <QVariant>

#include "app/view.h"
#include "gui/artwork.h"
#include "gui/guitext.h"
#include "gui/hintpopup.h"

namespace zoqa {
namespace {

const char kTag[] = "tag";
const char kStyle[] = "zstyle";
const char kHint[] = "hint";

QString StartHint(const QString& style) {
  return QString::fromUtf8(style == kStartBtn ? "开始搜索" : "停止搜索");
}

}  // namespace

TKeyItemWidget::TKeyItemWidget(const std::string& keyword, const QString& count,
                               const QString& date, THintPopup* hint, QWidget* parent)
    : QWidget(parent),
      keyword_(keyword),
      text_(new QLabel(FromCp936(keyword), this)),
      count_(new QLabel(count, this)),
      date_(new QLabel(date, this)),
      note_(new QLabel(this)),
      hint_(hint) {
  setObjectName("keyItem");
  setFixedHeight(kHeight);
  text_->setObjectName("keyText");
  count_->setObjectName("keyCount");
  count_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  date_->setObjectName("keyDate");
  note_->setObjectName("keyNote");
  for (QLabel* label : {text_, count_, date_, note_}) {
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setTextFormat(Qt::PlainText);
  }
  AddButton(0, kStartBtn, {24, 24}, StartHint(kStartBtn));
  AddButton(1, "delbtn", {18, 18}, QString::fromUtf8("删除此关键词"));
  AddButton(4, "exportbtn", {18, 18}, QString::fromUtf8("将搜索结果导出为文件"));
  PlaceChildren();
}

QToolButton* TKeyItemWidget::AddButton(int tag, const QString& style, QSize size,
                                       const QString& hint) {
  auto* button = new QToolButton(this);
  button->setObjectName(QStringLiteral("keyButton%1").arg(tag));
  button->setProperty(kTag, tag);
  button->setProperty(kStyle, style);
  button->setProperty(kHint, hint);
  button->setFixedSize(size);
  button->setCursor(Qt::PointingHandCursor);
  button->setFocusPolicy(Qt::NoFocus);
  if (tag == 0) {
    button->setToolTip(hint);
    button->setIcon(StartIcon());
    button->setIconSize({16, 16});
  } else {
    button->setIcon(tag == 1 ? DeleteIcon() : ExportIcon());
    button->setIconSize({16, 16});
    button->installEventFilter(this);
  }
  connect(button, &QToolButton::clicked, this, [this, tag] { emit ButtonClicked(keyword_, tag); });
  buttons_.append(button);
  return button;
}

void TKeyItemWidget::SetButton(int tag, bool enabled, const QString& style) {
  for (auto it = buttons_.rbegin(); it != buttons_.rend(); ++it) {
    QToolButton* button = *it;
    if (button->property(kTag).toInt() != tag) continue;
    button->setProperty(kStyle, style);
    button->setEnabled(enabled);
    QString hint = StartHint(style);
    button->setProperty(kHint, hint);
    if (tag == 0) {
      button->setToolTip(hint);
      button->setIcon(style == kStartBtn ? StartIcon() : StopIcon());
    }
    // The style sheet picks the look by the property; make it look again.
    button->style()->unpolish(button);
    button->style()->polish(button);
    button->update();
    return;
  }
}

QToolButton* TKeyItemWidget::Button(int tag) const {
  for (auto it = buttons_.rbegin(); it != buttons_.rend(); ++it) {
    if ((*it)->property(kTag).toInt() == tag) return *it;
  }
  return nullptr;
}

QString TKeyItemWidget::ButtonStyle(int tag) const {
  QToolButton* button = Button(tag);
  return button ? button->property(kStyle).toString() : QString();
}

bool TKeyItemWidget::eventFilter(QObject* watched, QEvent* event) {
  auto* button = qobject_cast<QToolButton*>(watched);
  if (button != nullptr && hint_ != nullptr) {
    if (event->type() == QEvent::Enter) {
      QString hint = button->property(kHint).toString();
      if (!hint.isEmpty()) {
        button->setToolTip(QString());
        hint_->ShowAt(button, hint);
      }
    } else if (event->type() == QEvent::Leave || event->type() == QEvent::Hide) {
      hint_->hide();
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TKeyItemWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceChildren();
}

void TKeyItemWidget::PlaceChildren() {
  const int w = width();
  const int h = kHeight;
  Button(0)->move(5, 20);
  Button(1)->move(43, h - 22);
  Button(4)->move(70, h - 22);
  constexpr int left = 38;
  constexpr int countWidth = 64;
  constexpr int noteLeft = 96;
  int textWidth = std::max(40, w - left - countWidth - 8);
  text_->setGeometry(left, 4, textWidth, 20);
  count_->setGeometry(std::max(left, w - countWidth - 8), 4, countWidth, 20);
  // The date line may reach the item's edge: with the list's scroll bar shown the item is
  // narrower, and the time must still show whole.
  date_->setGeometry(left, 23, std::max(40, w - left - 2), 16);
  note_->setGeometry(noteLeft, h - 22, std::max(20, w - noteLeft - 8), 18);
  ShowKeyword(textWidth);
}

void TKeyItemWidget::ShowKeyword(int width) {
  text_->ensurePolished();
  QString full = FromCp936(keyword_);
  QString shown = text_->fontMetrics().elidedText(full, Qt::ElideRight, width);
  text_->setText(shown);
  QString tip = shown == full ? QString() : full;
  if (!tipLines_.isEmpty()) tip = (tip.isEmpty() ? full : tip) + "\n" + tipLines_;
  setToolTip(tip);
}

void TKeyItemWidget::SetTipLines(const QString& text) {
  if (text == tipLines_) return;
  tipLines_ = text;
  ShowKeyword(text_->width());
}

}  // namespace zoqa
