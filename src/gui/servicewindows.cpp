#include "gui/servicewindows.h"

#include "gui/contactwindow.h"
#include "gui/descriptionwindow.h"
#include "gui/noticewindow.h"
#include "gui/toolinstallwindow.h"
#include "platform/openurl.h"
#include "service/servicepages.h"

namespace zoqa {
namespace {

TUrlOpener& Opener() {
  static TUrlOpener opener;
  return opener;
}

}  // namespace

void OpenNoticeWindow(const std::string& url) {
  TNoticeWindow::Open(url);
}

void OpenDescriptionWindow(const std::string& baseUrl) {
  TDescriptionWindow::Open(DescriptionPageUrl(baseUrl));
}

void OpenContactWindow(const std::string& baseUrl, const std::string& distributorCode) {
  TContactWindow::Open(ContactPageUrl(baseUrl, distributorCode));
}

void OpenFeedbackPage(const std::string& baseUrl) {
  OpenServiceUrl(FeedbackPageUrl(baseUrl, FeedbackToken()));
}

void OpenToolInstallWindow(int t, const std::string& arguments, const std::string& downloadUrl) {
  TToolInstallWindow::Open(t, arguments, downloadUrl);
}

void SetServiceUrlOpener(TUrlOpener opener) {
  Opener() = std::move(opener);
}

void OpenServiceUrl(const std::string& url) {
  if (Opener()) {
    Opener()(url);
  } else {
    OpenUrl(url);
  }
}

}  // namespace zoqa
