// Redirector pages: an engine's link may answer with a small page that moves on to the
// target by a meta refresh or by script instead of a redirect status.
#pragma once

#include <string>
#include <string_view>

namespace zoqa {

// The http or https URL that the page at `pageUrl` moves on to, resolved against
// `pageUrl`: the URL of a `<meta http-equiv="refresh" content="0;URL='…'">`, else of a
// `location.replace("…")`, else of a `location.href="…"`. Empty when the page names none.
std::string PageRedirectTarget(const std::string& pageUrl, std::string_view body);

}  // namespace zoqa
