#include "service/replyitems.h"

#include "util/codepage.h"

namespace zoqa {
namespace {

bool IsBlank(char c) {
  return c != '\0' && static_cast<unsigned char>(c) <= ' ';
}

// A quoted item starting at `pos` (the opening quote): its text with doubled quotes taken
// as one; an unclosed quote runs to the end. `pos` ends after the closing quote.
std::string QuotedItem(std::string_view text, std::size_t& pos) {
  std::string item;
  ++pos;
  while (pos < text.size()) {
    std::size_t n = CharLength(text, pos);
    if (n == 1 && text[pos] == '"') {
      if (pos + 1 < text.size() && text[pos + 1] == '"') {
        item += '"';
        pos += 2;
        continue;
      }
      ++pos;
      return item;
    }
    item.append(text, pos, n);
    pos += n;
  }
  return item;
}

// A plain item: everything up to a blank, the separator or the end.
std::string PlainItem(std::string_view text, std::size_t& pos, char separator) {
  std::size_t start = pos;
  while (pos < text.size() && static_cast<unsigned char>(text[pos]) > ' ' &&
         text[pos] != separator) {
    pos += CharLength(text, pos);
  }
  return std::string(text.substr(start, pos - start));
}

}  // namespace

std::vector<std::string> SplitReplyItems(std::string_view text, char separator) {
  // The text ends at a zero byte, as the service's replies are C strings.
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> items;
  std::size_t pos = 0;
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  while (pos < text.size()) {
    items.push_back(text[pos] == '"' ? QuotedItem(text, pos) : PlainItem(text, pos, separator));
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos < text.size() && text[pos] == separator) {
      if (pos + 1 == text.size()) items.emplace_back();
      do {
        ++pos;
      } while (pos < text.size() && IsBlank(text[pos]));
    }
  }
  return items;
}

}  // namespace zoqa
