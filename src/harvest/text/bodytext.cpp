#include "harvest/text/bodytext.h"

#include "util/textutil.h"

namespace zoqa {

std::string JoinBodyLines(std::string_view body) {
  std::string text;
  text.reserve(body.size() + body.size() / 32 + 2);
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < body.size()) {
    char c = body[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    text.append(body.substr(start, i - start)).append("\r\n");
    i += (c == '\r' && i + 1 < body.size() && body[i + 1] == '\n') ? 2 : 1;
    start = i;
  }
  if (start < body.size()) text.append(body.substr(start)).append("\r\n");
  return text;
}

TPageText DecodeBody(std::string_view body, bool trim) {
  std::string joined = JoinBodyLines(body);
  return TPageText::FromUtf8(trim ? Trim(joined) : joined);
}

TPageText DecodeSitePage(std::string_view body, bool trim) {
  std::string joined = JoinBodyLines(body);
  if (trim) joined = Trim(joined);
  TPageText page = TPageText::FromUtf8(joined);
  if (page.Cp936().empty() && !joined.empty()) return TPageText(std::move(joined));
  return page;
}

}  // namespace zoqa
