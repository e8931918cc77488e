// The postal address on a company's contact page, found the ways such pages write it: after
// a label ("地址：", "联系地址:", "地 址：", "厂址：", "办公地址:" and the like), up to the next
// label or the end of the line; or before a caption that names it.
#pragma once

#include <string>

#include "harvest/text/pagetext.h"

namespace zoqa {

// The page's address in code page 936, "" when it shows none. The labels are tried in page
// order until one gives an address: a label followed by a form control, by another label,
// or by fewer than six bytes gives none. Only when no label with a colon gives one, a label
// without colon followed by the value in the next element, and then a caption after its
// value, count when the value reads like an address.
std::string FindAddress(const TPageText& page);

}  // namespace zoqa
