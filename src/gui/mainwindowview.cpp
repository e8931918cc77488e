// The main window as the controller's view: grid commands, export and the keyword items.
#include "app/servicelink.h"
#include "gui/backdrop.h"
#include "gui/guitext.h"
#include "gui/mainwindow.h"
#include "service/autoupdate.h"

#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/exportjob.h"
#include "export/exportwriter.h"
#include "gui/companydetailwindow.h"
#include "gui/exportselectiondialog.h"
#include "gui/keywordpanel.h"
#include "gui/loadingoverlay.h"
#include "gui/resultgrid.h"
#include "gui/servicewindows.h"
#include "util/codepage.h"
#include "util/msgbox.h"

namespace zoqa {
namespace {

const char kExportDirKey[] = "config/exportdir";
const char kPrompt[] = "提示";
const char kExportBusyText[] = "正在导出数据，请等导出完成后再试！";

}  // namespace

// ---- grid commands

TCompanyDetailWindow* TMainWindow::DetailWindow() const {
  return detail_.data();
}

void TMainWindow::OpenDetails(int row) {
  if (row < 0) return;
  if (!detail_) detail_ = new TCompanyDetailWindow(this);
  const TCompany* company = grid_->Model().Record(row);
  if (company == nullptr) return;
  detail_->ShowCompany(*company);
  detail_->show();
  detail_->raise();
  detail_->activateWindow();
}

void TMainWindow::DeleteRow(int row) {
  const TCompany* shown = grid_->Model().Record(row);
  if (shown == nullptr) return;
  // A copy: the model may read other rows while the question is open.
  TCompany company = *shown;
  Command([&] { controller_->DeleteCompany(company); });
}

// ---- export

void TMainWindow::ExportKeyword(const std::string& keyword, const TExportFields& fields,
                                bool asText) {
  if (!controller_) return;
  // One export at a time: a second one is refused before a file is asked for.
  if (exportJob_ != nullptr) {
    zoqa::ShowMsg(Cp936(kExportBusyText), Cp936(kPrompt), mkInformation);
    return;
  }
  if (!fields.Any()) {
    zoqa::ShowMsg(Cp936(kNoFieldText), Cp936(kPrompt), mkInformation);
    return;
  }
  QString proposed =
      ExportFolder() + "/" + FromCp936(keyword).replace('/', '_') + (asText ? ".txt" : ".xlsx");
  SaveChoice choice = askSaveFile_(proposed, asText);
  const QString& file = choice.file;
  if (file.isEmpty()) return;
  TExportFormat format =
      asText ? TExportFormat::Text : SpreadsheetFormatFor(file.toStdString(), choice.format);
  if (QFileInfo::exists(file) &&
      zoqa::ShowMsg(Cp936("文件已存在，是否覆盖？"), Cp936(kPrompt), mkQuestion) == kMsgCancel) {
    return;
  }
  // The rows go in the grid's order when the grid shows this keyword.
  TSortOrder order = keyword == controller_->CurrentKey() ? grid_->Model().Order() : TSortOrder{};
  // The file is written on a thread of its own, through its own connection to the store.
  exportJob_ = new TExportJob(
      controller_->Store().Backend().ReaderOpener(),
      TExportRequest{keyword, file.toStdString(), fields, format, order},
      [this, file](bool written) { ExportEnded(file, written); }, this);
}

// The outcome of the export that just ended, told as the export always has.
void TMainWindow::ExportEnded(const QString& file, bool written) {
  // Deleted once this call has returned: the messages below may start the next export.
  exportJob_->deleteLater();
  exportJob_ = nullptr;
  if (!written || !QFileInfo::exists(file)) {
    zoqa::ShowMsg(Cp936("数据导出失败！"), Cp936(kPrompt), mkInformation);
    return;
  }
  ini_->setValue(kExportDirKey, QFileInfo(file).absolutePath());
  if (zoqa::ShowMsg(Cp936("数据导出成功，是否打开文件保存目录？"), Cp936(kPrompt), mkQuestion) !=
      kMsgCancel) {
    revealFile_(file);
  }
}

// The folder of the last export while it exists, else the user's documents folder.
QString TMainWindow::ExportFolder() const {
  QString last = ini_->value(kExportDirKey).toString();
  if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
  QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

// ---- TView

void TMainWindow::AddKeyItem(const std::string& keyword, const std::string& countText,
                             const std::string& dateText) {
  panel_->AddKeyItem(keyword, FromCp936(countText), FromCp936(dateText));
}

void TMainWindow::SetItemButton(const std::string& keyword, int tag, bool enabled,
                                const std::string& style) {
  panel_->SetItemButton(keyword, tag, enabled, QString::fromStdString(style));
  RefreshTrayTip();
}

void TMainWindow::SetItemDate(const std::string& keyword, const std::string& text) {
  panel_->SetItemDate(keyword, FromCp936(text));
}

void TMainWindow::SetItemCount(const std::string& keyword, const std::string& text) {
  panel_->SetItemCount(keyword, FromCp936(text));
}

void TMainWindow::RemoveKeyItem(const std::string& keyword) {
  panel_->RemoveKeyItem(keyword);
  RefreshTrayTip();
}

void TMainWindow::RemoveAllKeyItems() {
  panel_->RemoveAllKeyItems();
  RefreshTrayTip();
}

void TMainWindow::SelectKeyItem(const std::string& keyword) {
  panel_->SelectItem(keyword);
}

void TMainWindow::SetItemNote(const std::string& keyword, const std::string& text) {
  panel_->SetItemNote(keyword, FromCp936(text));
}

void TMainWindow::SetItemTip(const std::string& keyword, const std::string& text) {
  panel_->SetItemTip(keyword, FromCp936(text));
}

void TMainWindow::ShowEntry(const std::string& keyword) {
  panel_->ShowEntry(keyword);
}

void TMainWindow::SetTip(const std::string& title, const std::string& text) {
  panel_->SetTip(FromCp936(title), FromCp936(text));
}

void TMainWindow::SetTipText(const std::string& text) {
  panel_->SetTipText(FromCp936(text));
}

void TMainWindow::SetStatusBar(const std::string& text) {
  status_->setText(FromCp936(text));
}

void TMainWindow::SetTotalLabel(const std::string& text) {
  total_->setText(FromCp936(text));
  RefreshTrayTip();
}

void TMainWindow::RefreshTrayTip() {
  QStringList lines{windowTitle()};
  if (int running = panel_->SearchingCount(); running > 0) {
    lines << QString::fromUtf8("正在搜索 %1 个关键词").arg(running);
  }
  if (!total_->text().isEmpty()) lines << total_->text();
  tray_->setToolTip(lines.join('\n'));
}

void TMainWindow::SetRecordCountLabel(const std::string& text) {
  recordCount_->setText(FromCp936(text));
}

void TMainWindow::ClearGrid() {
  grid_->Model().Clear();
  recordCount_->clear();
}

void TMainWindow::FillGrid(TCompanySource& source, const std::string& keyword) {
  grid_->setUpdatesEnabled(false);
  grid_->Model().Show(source, keyword);
  grid_->setUpdatesEnabled(true);
}

void TMainWindow::AppendGridRow(const TCompany& company) {
  grid_->Model().Append(company);
}

void TMainWindow::AppendOthersGridRow(const TCompany& company) {
  grid_->Model().Append(company, false);
}

bool TMainWindow::RemoveGridRow(const std::string& listId) {
  return grid_->Model().Remove(listId);
}

int TMainWindow::GridRowCount() const {
  return grid_->Model().rowCount();
}

void TMainWindow::ShowLoading(bool on) {
  overlay_->SetLoading(on);
}

void TMainWindow::HideBackground() {
  backdrop_->hide();
}

int TMainWindow::ShowMsg(const std::string& text, const std::string& caption, int kind) {
  return zoqa::ShowMsg(text, caption, kind);
}

void TMainWindow::ShowTaskMenu(const std::string& keyword) {
  panel_->OpenTaskMenu(keyword, QCursor::pos());
}

void TMainWindow::OpenExportSelection(const std::string& keyword) {
  auto* dialog = new TExportSelectionDialog(keyword, this);
  connect(dialog, &TExportSelectionDialog::ExportChosen, this, &TMainWindow::ExportKeyword);
  dialog->show();
}

bool TMainWindow::EngineChecked(int engine) const {
  return panel_->EngineChecked(engine);
}

}  // namespace zoqa
