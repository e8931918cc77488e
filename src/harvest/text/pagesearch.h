// Pattern searches over a page whose UTF-8 form is made once for all of its searches.
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "harvest/text/pagetext.h"
#include "harvest/text/regexp.h"

namespace zoqa {

// The code page 936 texts of the matches of `pattern` (UTF-8) in `page`, at most `max`.
std::vector<std::string> FindInPage(TRegExp& re, const char* pattern, const TPageText& page,
                                    std::size_t max = std::numeric_limits<std::size_t>::max());

}  // namespace zoqa
