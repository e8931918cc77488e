// The main window: the keyword panel on the left, the result grid on the right, the status
// line at the bottom, the tray icon and the help menu. It is the desktop's TView: the
// controller, which it owns, tells it what to show, and it hands every user command to the
// controller. Closing it hides it to the tray; the tray menu's "退出" ends the program.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/maincontroller.h"
#include "app/serviceview.h"
#include "app/view.h"
#include "export/exportfields.h"

namespace zoqa {

class TBackdrop;
class TCompanyDetailWindow;
class TExportJob;
class TKeywordPanel;
class TLoadingOverlay;
class TMainThreadPort;
class TResultGrid;
class TServiceLink;
class TAutoUpdate;
class TToolStrip;
class TUpdateThread;
class TUpdateWindow;

class TMainWindow : public QMainWindow, public TView, public TServiceView {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = 1007;
  static constexpr int kClientHeight = 647;
  static constexpr int kVersionCheckDelayMs = 180000;

  // Builds the window and opens the store, listing every stored keyword. Raises what the
  // store raises when its file cannot be opened (ESQLiteException).
  explicit TMainWindow(QWidget* parent = nullptr);
  ~TMainWindow() override;

  TMainController& Controller() { return *controller_; }
  const QString& AppName() const { return appName_; }
  QSettings& Settings() { return *ini_; }

  // The first-start steps: the desktop and menu launchers once (then `first` = 1 in the
  // settings), and the record of the install path. A launcher that cannot be written is
  // reported in a message box; the next start tries again.
  void FirstRunSetup();

  // Shows, restores from minimised and raises the window (tray, later starts).
  void ShowMainWindow();
  // The exit confirmation; on OK the window closes for good.
  void RequestExit();
  // Asks for the file and starts writing the keyword's export; the outcome is reported once
  // the writing has ended. Refused while another export is being written.
  void ExportKeyword(const std::string& keyword, const TExportFields& fields, bool asText);
  // True while an export is being written.
  bool ExportRunning() const { return exportJob_ != nullptr; }
  // Stops every worker and waits briefly for their end, then closes the store. After this the
  // window is an empty shell. Called once the event loop has ended; safe to call twice.
  void ShutDown();
  // The same for a process that is ending because its display went away: nothing is drawn
  // and no event of the windowing system is read, only the workers' hand-offs are served, so
  // that their end reports still save the pages reached.
  void ShutDownWithoutDisplay();
  // Ends the program as the tray's exit does, without the question (the session ending).
  void EndWithoutQuestion();

  bool CanExit() const { return canExit_; }
  // Whether closing hides to the tray: asked at every close, as a panel may come or go.
  bool TrayAvailable() const;
  // Replaces the desktop's answer (tests, the screenshot program).
  void SetTrayAvailable(bool available) { trayOverride_ = available; }

  // How the export asks for a file name (the proposed path: the folder of the last export, else
  // the documents folder, and the keyword's file name; the format) and how it shows a written
  // file; tests and other front-ends replace them. A spreadsheet's writer is the one its file
  // name's extension names, else the one whose filter was chosen.
  struct SaveChoice {
    QString file;  // empty when cancelled
    TExportFormat format = TExportFormat::Text;
  };
  using SaveFileAsker = std::function<SaveChoice(const QString& proposed, bool asText)>;
  using FileRevealer = std::function<void(const QString& path)>;
  void SetSaveFileAsker(SaveFileAsker asker) { askSaveFile_ = std::move(asker); }
  void SetFileRevealer(FileRevealer revealer) { revealFile_ = std::move(revealer); }

  // Parts, for tests and the screenshot program.
  TKeywordPanel* Panel() const { return panel_; }
  TResultGrid* Grid() const { return grid_; }
  TLoadingOverlay* Overlay() const { return overlay_; }
  TBackdrop* Backdrop() const { return backdrop_; }
  TCompanyDetailWindow* DetailWindow() const;
  QLabel* StatusLabel() const { return status_; }
  QLabel* TotalLabel() const { return total_; }
  QLabel* RecordCountLabel() const { return recordCount_; }
  QSystemTrayIcon* Tray() const { return tray_; }
  QMenu* TrayMenu() const { return trayMenu_; }
  TToolStrip* ToolStrip() const { return tools_; }
  TUpdateWindow* UpdateWindow() const;
  // The service link; nullptr when it is off (no configuration host).
  TServiceLink* Service() const { return service_.get(); }
  bool VersionCheckArmed() const { return versionTimer_.isActive(); }
  bool DeferredStartupArmed() const { return noticeTimer_.isActive(); }

  // The update window message: 1 opens the progress window, 2 sets its bar to `lParam`, 5
  // hands over to the updater and ends the program; other codes are ignored.
  void UpdateMessage(int wParam, std::int64_t lParam);

  // Opens the detail window for a row of the grid (the double-click).
  void OpenDetails(int row);
  // The grid's delete command for a row.
  void DeleteRow(int row);

  // TView
  void AddKeyItem(const std::string& keyword, const std::string& countText,
                  const std::string& dateText) override;
  void SetItemButton(const std::string& keyword, int tag, bool enabled,
                     const std::string& style) override;
  void SetItemDate(const std::string& keyword, const std::string& text) override;
  void SetItemCount(const std::string& keyword, const std::string& text) override;
  void RemoveKeyItem(const std::string& keyword) override;
  void RemoveAllKeyItems() override;
  void SelectKeyItem(const std::string& keyword) override;
  void SetItemNote(const std::string& keyword, const std::string& text) override;
  void SetItemTip(const std::string& keyword, const std::string& text) override;
  void ShowEntry(const std::string& keyword) override;
  void SetTip(const std::string& title, const std::string& text) override;
  void SetTipText(const std::string& text) override;
  void SetStatusBar(const std::string& text) override;
  void SetTotalLabel(const std::string& text) override;
  void SetRecordCountLabel(const std::string& text) override;
  void ClearGrid() override;
  void FillGrid(TCompanySource& source, const std::string& keyword) override;
  void AppendGridRow(const TCompany& company) override;
  void AppendOthersGridRow(const TCompany& company) override;
  bool RemoveGridRow(const std::string& listId) override;
  int GridRowCount() const override;
  void ShowLoading(bool on) override;
  void HideBackground() override;
  int ShowMsg(const std::string& text, const std::string& caption, int kind) override;
  void ShowTaskMenu(const std::string& keyword) override;
  void OpenExportSelection(const std::string& keyword) override;
  bool EngineChecked(int engine) const override;

  // TServiceView
  void OpenUpdateWindow() override;
  void StartUpdate(std::unique_ptr<TUpdateInfo> info) override;
  void StopVersionCheck() override;
  void ArmDeferredStartup() override;
  void EndProcess() override;

 signals:
  // The window has closed for good: the program should end.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void BuildWidgets();
  void BuildMenus();
  void BuildTray();
  // The tray icon's tooltip: the title, how many keywords are searching and the total.
  void RefreshTrayTip();
  void ConnectPanel();
  void CreateDesktopShortcut();
  bool ConfirmExit();
  void StopWorkers(const std::function<void()>& pump);
  QString ExportFolder() const;
  void ExportEnded(const QString& file, bool written);
  void StopExport();
  // Runs a user command; a failure is shown in the error box.
  void Command(const std::function<void()>& command);

  // The service link: the configuration fetch, the deferred start-up that opens the
  // notice, the periodic version check, the help menu's pages and the update hand-over.
  void StartService();
  void OpenNotice();
  void StartVersionCheck();
  void OpenServicePage(const std::string& page);
  void HandOver();

  TKeywordPanel* panel_ = nullptr;
  TResultGrid* grid_ = nullptr;
  TLoadingOverlay* overlay_ = nullptr;
  TBackdrop* backdrop_ = nullptr;
  QLabel* recordCount_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* total_ = nullptr;
  QSystemTrayIcon* tray_ = nullptr;
  QMenu* trayMenu_ = nullptr;
  QPointer<TCompanyDetailWindow> detail_;
  QPointer<TUpdateWindow> updateWindow_;
  TToolStrip* tools_ = nullptr;
  QList<QAction*> serviceActions_;

  bool canExit_ = false;
  std::optional<bool> trayOverride_;
  QString appName_;
  std::unique_ptr<QSettings> ini_;
  std::unique_ptr<TMainController> controller_;
  std::shared_ptr<TMainThreadPort> port_;  // the service link's workers reach the window here
  std::unique_ptr<TServiceLink> service_;
  std::unique_ptr<TAutoUpdate> update_;
  std::string contactUser_;  // the distributor code, `p` of [config]
  QTimer noticeTimer_;       // opens the service notice after a configuration was handled
  QTimer versionTimer_;      // starts the version check 180 s after start
  SaveFileAsker askSaveFile_;
  FileRevealer revealFile_;
  TExportJob* exportJob_ = nullptr;  // a child of the window; the export being written
};

}  // namespace zoqa
