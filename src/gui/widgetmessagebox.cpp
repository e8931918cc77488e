#include "gui/widgetmessagebox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "gui/guitext.h"

namespace zoqa {

int TWidgetMessageBox::Show(const std::string& text, const std::string& caption, int kind) {
  QMessageBox::Icon icon = QMessageBox::Information;
  if (kind == mkWarning) icon = QMessageBox::Warning;
  if (kind == mkError) icon = QMessageBox::Critical;
  if (kind == mkQuestion) icon = QMessageBox::Question;
  QString body = FromCp936(text);
  body.remove(QChar('\r'));
  QMessageBox box(icon, FromCp936(caption), body, QMessageBox::NoButton,
                  QApplication::activeWindow());
  box.setObjectName("messageBox");
  // Texts carry names and keywords as typed: markup in them is shown, never interpreted.
  box.setTextFormat(Qt::PlainText);
  QPushButton* ok = box.addButton(QString::fromUtf8("确定"), QMessageBox::AcceptRole);
  QPushButton* cancel = nullptr;
  if (kind == mkQuestion) {
    cancel = box.addButton(QString::fromUtf8("取消"), QMessageBox::RejectRole);
    box.setEscapeButton(cancel);
  }
  box.setDefaultButton(ok);
  box.exec();
  if (kind != mkQuestion) return 0;
  return box.clickedButton() == ok ? kMsgOk : kMsgCancel;
}

}  // namespace zoqa
