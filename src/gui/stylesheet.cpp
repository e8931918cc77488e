#include "gui/stylesheet.h"

namespace zoqa {

QString AppStyleSheet() {
  return QStringLiteral(R"css(
QMainWindow, QDialog { background: #f4f6fa; }
QWidget { color: #1f2937; font-size: 13px; }
QMenuBar { background: #ffffff; border-bottom: 1px solid #e5e8ef; }
QMenuBar::item { padding: 4px 10px; background: transparent; }
QMenuBar::item:selected { background: #e8efff; color: #1d4ed8; border-radius: 4px; }
QMenu { background: #ffffff; border: 1px solid #dfe3ea; padding: 4px; }
QMenu::item { padding: 6px 24px 6px 16px; border-radius: 4px; }
QMenu::item:selected { background: #e8efff; color: #1d4ed8; }
QMenu::item:disabled { color: #a8afbb; background: transparent; }
QMenu::separator { height: 1px; background: #e5e8ef; margin: 4px 8px; }

#leftPanel { background: #ffffff; border-right: 1px solid #e5e8ef; }
#entryFrame { background: #ffffff; border: 1px solid #cfd6e2; border-radius: 6px; }
#entryFrame[focused="true"] { border-color: #2f6fed; }
#entryHint { color: #9aa3b2; padding-left: 6px; font-size: 12px; }
#keywordEntry { border: none; background: transparent; padding: 0 8px; }
#sourceLabel { color: #4b5563; }

QPushButton { border-radius: 6px; padding: 6px 14px; border: 1px solid #cfd6e2;
              background: #ffffff; }
QPushButton:hover { border-color: #2f6fed; color: #1d4ed8; }
QPushButton:pressed { background: #e8efff; }
QPushButton#addTaskButton { background: #2f6fed; color: #ffffff; border: none;
                            font-weight: bold; padding: 6px 10px; }
QPushButton#addTaskButton:hover { background: #255ed1; }
QPushButton#addTaskButton:pressed { background: #1d4ed8; }
QPushButton#exportButton { color: #1d4ed8; border-color: #2f6fed; font-weight: bold;
                           padding: 3px 14px; }
QPushButton#clearHistoryButton { border: none; background: transparent; color: #6b7280;
                                 padding: 2px 4px; font-size: 12px; }
QPushButton#clearHistoryButton:hover { color: #e5484d; }

#tipPanel { background: #fff8e6; border: 1px solid #f6dfa4; border-radius: 6px; }
#tipTitle { color: #b45309; font-weight: bold; }
#tipText { color: #6b5a2e; }
#historyCaption { font-weight: bold; color: #374151; }

QListWidget#keywordList { border: none; background: #ffffff; alternate-background-color: #f7f9fc;
                          outline: none; }
QListWidget#keywordList::item { border-bottom: 1px solid #eef1f6; }
QListWidget#keywordList::item:selected { background: #e8efff; }
#keyItem QLabel { background: transparent; }
#keyText { font-weight: bold; font-size: 14px; color: #111827; }
#keyCount { color: #2f6fed; font-weight: bold; }
#keyDate { color: #8a93a3; font-size: 12px; }
#keyNote { color: #16a34a; font-size: 12px; }

QToolButton[zstyle="startbtn"] { background: #22a06b; border: none; border-radius: 12px; }
QToolButton[zstyle="startbtn"]:hover { background: #1b8a5b; }
QToolButton[zstyle="stopbtn"] { background: #e5484d; border: none; border-radius: 12px; }
QToolButton[zstyle="stopbtn"]:hover { background: #cc3a3f; }
QToolButton[zstyle="stopbtn"]:disabled { background: #f0a8aa; }
QToolButton[zstyle="delbtn"], QToolButton[zstyle="exportbtn"] { background: transparent;
                            border: none; border-radius: 4px; }
QToolButton[zstyle="delbtn"]:hover { background: #fde8e8; }
QToolButton[zstyle="exportbtn"]:hover { background: #e8efff; }

#hintPopup { background: #1f2937; border-radius: 4px; }
#hintPopup QLabel { color: #ffffff; font-size: 12px; }

#gridArea { background: #f4f6fa; }
#recordCountLabel { font-weight: bold; color: #374151; }
QTableView#resultGrid { background: #ffffff; alternate-background-color: #f7f9fc;
                        border: 1px solid #e5e8ef; border-radius: 6px;
                        selection-background-color: #dbe7ff; selection-color: #111827; }
QHeaderView::section { background: #f0f3f8; color: #4b5563; border: none;
                       border-bottom: 1px solid #e5e8ef; padding: 4px 6px; font-weight: bold; }
#loadingOverlay QLabel { color: #1f2937; font-weight: bold; }

QStatusBar { background: #ffffff; border-top: 1px solid #e5e8ef; }
QStatusBar QLabel { color: #4b5563; padding: 0 6px; }
#totalLabel { color: #1d4ed8; font-weight: bold; }

#detailPanel { background: #ffffff; border: 1px solid #cfd6e2; }
#detailName { font-weight: bold; font-size: 15px; color: #111827; }
#detailUrl { color: #2f6fed; }
#detailCaption { color: #16a34a; font-weight: bold; }
#detailPanel QLabel[role="field"] { color: #4b5563; }
#detailPanel QPlainTextEdit { border: none; border-radius: 4px; background: #f5f7fb;
                              font-size: 12px; padding-left: 4px; }
#detailAddress { font-size: 12px; }
QToolButton#detailClose { border: none; border-radius: 12px; background: transparent;
                          color: #6b7280; font-size: 16px; }
QToolButton#detailClose:hover { background: #fde8e8; color: #e5484d; }

#exportDialog QLabel[link="true"] { color: #2f6fed; text-decoration: underline; }
#exportDialog QLabel#quickCaption { color: #2f6fed; }
#exportDialog QRadioButton[format="true"] { font-weight: bold; }
QScrollBar:vertical { width: 8px; background: transparent; }
QScrollBar:horizontal { height: 8px; background: transparent; }
QScrollBar::handle { background: #c9d0dc; border-radius: 4px; min-height: 20px; min-width: 20px; }
QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }
QScrollBar::add-page, QScrollBar::sub-page { background: transparent; }
)css");
}

}  // namespace zoqa
