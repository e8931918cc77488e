// The companion tools' install prompt "提示" (376 by 118): asks whether to install a tool
// that is not installed, and while "安装服务" runs shows the download's progress. There is at
// most one; opening it for another tool reuses it. It closes once the download has ended,
// whatever the outcome.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <cstdint>
#include <memory>
#include <string>

namespace zoqa {

class TMainThreadPort;
class TDownloadThread;

class TToolInstallWindow : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kWidth = 376;
  static constexpr int kHeight = 118;

  // Creates the prompt when none is open and sets it to tool `t` with the tool's launch
  // arguments and download URL; rows 0 and 1 name the tool in the question. Shows it and
  // brings it to the front.
  static TToolInstallWindow* Open(int t, const std::string& arguments,
                                  const std::string& downloadUrl);
  static TToolInstallWindow* Instance();

  // The download's reports: 1 shows the progress bar, 2 shows `percent`, 3 hides the bar.
  void ToolInstallMessage(int wParam, std::int64_t lParam);
  // "安装服务": downloads the tool into its folder, unpacks and starts it.
  void Install();

  int Tool() const { return tool_; }
  const std::string& Arguments() const { return arguments_; }
  const std::string& DownloadUrl() const { return url_; }
  QLabel* TextPanel() const { return text_; }
  QPushButton* InstallButton() const { return install_; }
  QPushButton* LaterButton() const { return later_; }
  QProgressBar* ProgressBar() const { return progress_; }

 private:
  TToolInstallWindow();
  ~TToolInstallWindow() override;

  QLabel* text_;
  QPushButton* install_;
  QPushButton* later_;
  QProgressBar* progress_;
  int tool_ = 0;
  std::string arguments_;
  std::string url_;
  std::shared_ptr<TMainThreadPort> port_;
};

}  // namespace zoqa
