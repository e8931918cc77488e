#include "gui/toolstrip.h"

#include <QHBoxLayout>

#include "gui/servicewindows.h"
#include "platform/startprogram.h"

namespace zoqa {
namespace {

const char kStyle[] = R"css(
#toolCaption { color: #b45309; font-weight: bold; }
QPushButton[tool="true"] { padding: 3px 10px; color: #1d4ed8; border-color: #cfd6e2; }
)css";

}  // namespace

TToolStrip::TToolStrip(TToolUrlSource toolUrls, QWidget* parent)
    : QWidget(parent), toolUrls_(std::move(toolUrls)) {
  setObjectName("toolStrip");
  setStyleSheet(kStyle);
  hooks_.Start = [](const std::string& path, const std::string& arguments) {
    return StartProgram(path, arguments);
  };
  hooks_.OpenPrompt = [this](int t, const std::string& arguments) {
    std::string first = toolUrls_ ? toolUrls_(0) : std::string();
    std::string second = toolUrls_ ? toolUrls_(1) : std::string();
    OpenToolInstallWindow(t, arguments, ToolDownloadUrl(t, first, second));
  };

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(6);
  caption_ = new QLabel(QString::fromUtf8("推荐工具 >>"), this);
  caption_->setObjectName("toolCaption");
  layout->addWidget(caption_);
  for (int t : ToolButtonRows()) {
    auto* button = new QPushButton(QString::fromUtf8(CompanionTool(t).DisplayName), this);
    button->setProperty("tool", true);
    button->setCursor(Qt::PointingHandCursor);
    connect(button, &QPushButton::clicked, this, [this, t] { Launch(t); });
    layout->addWidget(button);
    buttons_[t] = button;
  }
  layout->addStretch(1);
}

QPushButton* TToolStrip::Button(int t) const {
  auto it = buttons_.find(t);
  return it == buttons_.end() ? nullptr : it->second;
}

TLaunchOutcome TToolStrip::Launch(int t) {
  return LaunchTool(t, hooks_);
}

}  // namespace zoqa
