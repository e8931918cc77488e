// Text helpers shared by harvesters and crawlers: markers, engine links, hrefs and site URLs.
// All text is code page 936.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "harvest/base/engine.h"

namespace zoqa {

// The text after the first occurrence of `marker`, or `text` unchanged when it is absent.
std::string AfterMarker(std::string_view marker, std::string_view text);

// True when the lower-cased URL mentions one of the engine domains anywhere.
bool IsEngineUrl(std::string_view url, const std::vector<std::string>& engineDomains);
// The same with the domains of the current engine settings.
bool IsEngineUrl(std::string_view url);

// True when `link` is `engine`'s paid-click link, the mark of a promoted result.
bool IsPaidLink(TEngine engine, std::string_view link);

// The lower-cased value of the anchor's first href attribute; empty when there is none.
std::string HrefValue(std::string_view anchor);

// The absolute URL of `href` found on a page of `host`: "http://" and "https://" links are
// taken as they are, anything else is resolved against the site root. Empty when the href
// holds nothing but dots and slashes.
std::string MakeSiteUrl(std::string_view host, std::string_view href);

}  // namespace zoqa
