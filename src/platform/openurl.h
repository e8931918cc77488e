// Opening a web address in the user's default browser.
#pragma once

#include <string>

namespace zoqa {

// Hands `url` (code page 936 text) to the desktop's default browser (xdg-open) without waiting for
// it; a browser that cannot be started is passed over silently.
void OpenUrl(const std::string& url);

}  // namespace zoqa
