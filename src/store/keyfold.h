// Letter-case folding of code page 936 keywords, for the store's keyword lookups.
#pragma once

#include <string>
#include <string_view>

namespace zoqa {

// `text` with upper-case letters turned to lower case: ASCII letters and the code page's own
// cased letters (full-width Latin, Greek and Cyrillic). Other characters are left as they are.
std::string FoldKeyCase(std::string_view text);

}  // namespace zoqa
