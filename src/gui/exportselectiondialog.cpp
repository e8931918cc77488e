#include "gui/exportselectiondialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScreen>

#include "util/codepage.h"
#include "util/msgbox.h"

namespace zoqa {
namespace {

constexpr int kWidth = 250;
constexpr int kHeight = 284;

struct TBoxLayout {
  const char* text;
  int x, y;
  bool checked;
};

// Texts, places and first states of the boxes, in TBox order. Landlines and the address are
// offered but not chosen at first, so that the first choice gives the columns it always gave.
const TBoxLayout kBoxes[] = {
    {"公司名", 27, 82, true},     {"QQ", 191, 82, true},       {"手机", 116, 82, true},
    {"EMail邮箱", 27, 118, true}, {"地址", 116, 154, false},   {"网址", 116, 118, true},
    {"电话", 27, 154, false},     {"txt格式", 27, 197, false}, {"Excel格式", 116, 197, true},
};

// Box states per quick-select link, in TBox order.
const bool kPicks[4][9] = {
    {false, true, false, false, false, false, false, true, false},  // QQ
    {false, false, true, false, false, false, false, true, false},  // 手机
    {false, false, false, true, false, false, false, true, false},  // 邮箱
    {true, true, true, true, true, true, true, false, true},        // 全选
};

struct TLinkLayout {
  const char* text;
  int x;
};
const TLinkLayout kLinks[] = {{"QQ", 121}, {"手机", 82}, {"邮箱", 152}, {"全选", 191}};

}  // namespace

TExportSelectionDialog::TExportSelectionDialog(const std::string& keyword, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      keyword_(keyword) {
  setObjectName("exportDialog");
  setWindowTitle(QString::fromUtf8("导出字段选择"));
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(kWidth, kHeight);

  auto* title = new QLabel(QString::fromUtf8("请选择需要导出的字段："), this);
  title->move(8, 14);
  auto* quick = new QLabel(QString::fromUtf8("快速选择："), this);
  quick->setObjectName("quickCaption");
  quick->move(10, 39);
  for (int i = 0; i < 4; ++i) {
    links_[i] = new QLabel(QString::fromUtf8(kLinks[i].text), this);
    links_[i]->setProperty("link", true);
    QFont font = links_[i]->font();
    font.setUnderline(true);
    links_[i]->setFont(font);
    links_[i]->setCursor(Qt::PointingHandCursor);
    links_[i]->move(kLinks[i].x, 39);
    links_[i]->installEventFilter(this);
  }
  for (int b = 0; b < bxCount; ++b) {
    QString text = QString::fromUtf8(kBoxes[b].text);
    // The two formats exclude each other, and so they look: radio buttons.
    if (b == bxText || b == bxExcel) {
      boxes_[b] = new QRadioButton(text, this);
    } else {
      boxes_[b] = new QCheckBox(text, this);
    }
    boxes_[b]->move(kBoxes[b].x, kBoxes[b].y);
    boxes_[b]->setChecked(kBoxes[b].checked);
  }
  for (TBox b : {bxText, bxExcel}) {
    boxes_[b]->setProperty("format", true);
    QFont font = boxes_[b]->font();
    font.setBold(true);
    boxes_[b]->setFont(font);
  }

  ok_ = new QPushButton(QString::fromUtf8("确 定"), this);
  ok_->setGeometry(25, 236, 85, 30);
  ok_->setDefault(true);
  cancel_ = new QPushButton(QString::fromUtf8("取 消"), this);
  cancel_->setGeometry(116, 236, 85, 30);
  connect(ok_, &QPushButton::clicked, this, &TExportSelectionDialog::Confirm);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::close);

  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void TExportSelectionDialog::QuickPick(TQuickPick pick) {
  // Of the formats only the chosen one is set: checking it unchecks the other.
  for (int b = 0; b < bxCount; ++b) {
    if (b == bxText || b == bxExcel) {
      if (kPicks[pick][b]) boxes_[b]->setChecked(true);
    } else {
      boxes_[b]->setChecked(kPicks[pick][b]);
    }
  }
}

bool TExportSelectionDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    for (int i = 0; i < 4; ++i) {
      if (watched == links_[i]) QuickPick(static_cast<TQuickPick>(i));
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TExportSelectionDialog::Confirm() {
  TExportFields fields;
  fields.company = boxes_[bxCompany]->isChecked();
  fields.qq = boxes_[bxQQ]->isChecked();
  fields.mobile = boxes_[bxMobile]->isChecked();
  fields.email = boxes_[bxEmail]->isChecked();
  fields.location = boxes_[bxAddress]->isChecked();
  fields.url = boxes_[bxUrl]->isChecked();
  fields.tel = boxes_[bxTel]->isChecked();
  bool asText = boxes_[bxText]->isChecked();
  // An export without a column would be an empty file: the window stays open for a choice.
  if (!fields.Any()) {
    ShowMsg(Cp936(kNoFieldText), Cp936("提示"), mkInformation);
    return;
  }
  // The window goes first: the export asks its own questions.
  std::string keyword = keyword_;
  close();
  emit ExportChosen(keyword, fields, asText);
}

}  // namespace zoqa
