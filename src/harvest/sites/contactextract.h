// Turning a company site's page into contact data: the contact link search and the
// extraction of name, landlines, mobiles, e-mail, QQ numbers and address.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "harvest/report/company.h"
#include "harvest/text/pagetext.h"
#include "harvest/text/regexp.h"

namespace zoqa {

// Which crawler's rules apply: the engines' crawlers differ in the contact-link patterns and
// in how a page title becomes a company name.
enum class TEngineVariant { Baidu, So360, Sogou };

// Receives the status line the crawler shows once the name is known (code page 936).
using TStatusHook = std::function<void(const std::string&)>;

// The absolute URL of the page's contact page, or empty when it has none.
std::string FindContactLink(TRegExp& re, const TPageText& page, std::string_view host,
                            TEngineVariant variant);

// Fills `record` from the page; true when it is worth reporting (a name and at least one
// landline or mobile). A page that is not worth it leaves the record reset.
bool ExtractContacts(TRegExp& re, TCompany& record, const TPageText& page, TEngineVariant variant,
                     const TStatusHook& status = {});

// The company name among page titles, for the 360 and Sogou crawlers: the last candidate
// ending in "公司" (or "企业") that is longer than five bytes, else the last title.
std::string NameFromTitles(const std::vector<std::string>& titleMatches);

}  // namespace zoqa
