#include "harvest/text/pagesearch.h"

#include "util/codepage.h"

namespace zoqa {

std::vector<std::string> FindInPage(TRegExp& re, const char* pattern, const TPageText& page,
                                    std::size_t max) {
  std::vector<std::string> matches = re.FindAllUtf8(pattern, page.Utf8(), max, true);
  for (std::string& match : matches) match = Utf8ToCp936(match);
  return matches;
}

}  // namespace zoqa
