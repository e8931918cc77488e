// One item of the keyword list, 65 pixels high: the keyword, its company count ("N条"), a date
// or status line, and three buttons told apart by their tag: 0 start/stop (24 by 24 at 5, 20;
// style "startbtn" or "stopbtn"), 1 delete (18 by 18 at 43, height - 22; "delbtn") and
// 4 export (18 by 18 at 70, height - 22; "exportbtn"). The delete and export buttons show
// their hints in the shared hint pop-up. A keyword too long for its line ends in "…" and the
// item's tooltip holds it whole, with any lines about its tasks below; a short note (such as
// the end of its task) may stand beside the buttons.
#pragma once

#include <QLabel>
#include <QToolButton>
#include <QWidget>

#include <string>

namespace zoqa {

class THintPopup;

class TKeyItemWidget : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kHeight = 65;

  TKeyItemWidget(const std::string& keyword, const QString& count, const QString& date,
                 THintPopup* hint, QWidget* parent = nullptr);

  const std::string& Keyword() const { return keyword_; }
  QString CountText() const { return count_->text(); }
  QString DateText() const { return date_->text(); }
  void SetCount(const QString& text) { count_->setText(text); }
  void SetDate(const QString& text) { date_->setText(text); }
  QString NoteText() const { return note_->text(); }
  void SetNote(const QString& text) { note_->setText(text); }
  // Lines the tooltip shows under the keyword, such as how its team tasks stand.
  void SetTipLines(const QString& text);
  // The keyword's line as shown, cut to its width.
  QLabel* KeywordLabel() const { return text_; }
  QLabel* DateLabel() const { return date_; }

  // The last added button with `tag` takes the style and enabled state; the start button's
  // ordinary hint follows its style.
  void SetButton(int tag, bool enabled, const QString& style);
  // The button with `tag`, or nullptr.
  QToolButton* Button(int tag) const;
  QString ButtonStyle(int tag) const;

 signals:
  void ButtonClicked(const std::string& keyword, int tag);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QToolButton* AddButton(int tag, const QString& style, QSize size, const QString& hint);
  void PlaceChildren();
  void ShowKeyword(int width);

  std::string keyword_;
  QLabel* text_;
  QLabel* count_;
  QLabel* date_;
  QLabel* note_;
  QList<QToolButton*> buttons_;  // in the order they were added
  QString tipLines_;
  THintPopup* hint_;
};

}  // namespace zoqa
