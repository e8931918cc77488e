// What the main window opens from the service link: the notice pop-up, the product
// description, the distributor's contact data, the feedback page in the browser, and the
// companion tools' install prompt. Each window is destroyed when it closes.
#pragma once

#include <functional>
#include <string>

namespace zoqa {

// Opens the notice pop-up for the page at `url` (a new window each time).
void OpenNoticeWindow(const std::string& url);
// Opens (or reuses) the description window and fetches its text from the service.
void OpenDescriptionWindow(const std::string& baseUrl);
// Opens (or reuses) the contact window for `distributorCode` ("" for the default) and
// fetches the contact data.
void OpenContactWindow(const std::string& baseUrl, const std::string& distributorCode);
// Opens the feedback form in the user's browser, with a fresh token.
void OpenFeedbackPage(const std::string& baseUrl);
// Opens (or reuses) the install prompt for companion tool `t`.
void OpenToolInstallWindow(int t, const std::string& arguments, const std::string& downloadUrl);

// How the service windows hand an address to the user's browser: OpenUrl unless replaced
// (tests record the addresses). An empty opener restores OpenUrl.
using TUrlOpener = std::function<void(const std::string& url)>;
void SetServiceUrlOpener(TUrlOpener opener);
void OpenServiceUrl(const std::string& url);

}  // namespace zoqa
