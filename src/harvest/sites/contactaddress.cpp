#include "harvest/sites/contactaddress.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

// The page is searched in its UTF-8 form: there no character's bytes occur inside another's.
constexpr std::string_view kZhi = "址";
// How far past a label an address may start (tags and blanks between) and how long it runs.
constexpr std::size_t kMaxTags = 4;
constexpr std::size_t kMaxValueBytes = 600;
// How long the text of a caption element may be around its label.
constexpr std::size_t kMaxCaptionBytes = 24;

// Labels that end an address when a colon follows them or a blank comes before them.
constexpr std::array<std::string_view, 17> kEndLabels = {
    "网址", "网站", "电话", "手机",   "传真",  "邮编", "邮政编码", "邮箱",    "联系人",
    "热线", "微信", "qq",   "e-mail", "email", "地址", "厂址",     "联系地址"};
constexpr std::array<std::string_view, 16> kAddressWords = {
    "省", "市", "区", "县", "镇", "乡", "村", "路", "街", "道", "号", "楼", "室", "园", "巷", "弄"};

// The length of the blank at `i`: white space, a no-break space (entity or character) or an
// ideographic space; 0 when there is none.
std::size_t BlankAt(std::string_view s, std::size_t i) {
  if (i >= s.size()) return 0;
  unsigned char c = static_cast<unsigned char>(s[i]);
  if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f') return 1;
  if (c != '&' && c != 0xE3 && c != 0xC2) return 0;
  std::string_view rest = s.substr(i);
  if (rest.starts_with("&nbsp;")) return 6;
  if (rest.starts_with("\u3000")) return 3;
  if (rest.starts_with("\u00a0")) return 2;
  return 0;
}

std::size_t SkipBlanks(std::string_view s, std::size_t i) {
  for (std::size_t n = BlankAt(s, i); n > 0; n = BlankAt(s, i)) i += n;
  return i;
}

// The blank that ends just before `i`, if any, has its start returned; else `i`.
std::size_t BlankBefore(std::string_view s, std::size_t i) {
  for (std::string_view blank : {" ", "\t", "\r", "\n", "&nbsp;", "\u3000", "\u00a0"}) {
    if (i >= blank.size() && s.substr(i - blank.size(), blank.size()) == blank) {
      return i - blank.size();
    }
  }
  return i;
}

std::string_view TrimBlanks(std::string_view s) {
  s.remove_prefix(std::min(SkipBlanks(s, 0), s.size()));
  for (std::size_t start = BlankBefore(s, s.size()); start < s.size();
       start = BlankBefore(s, s.size())) {
    s.remove_suffix(s.size() - start);
  }
  return s;
}

// Where the value ends at the first label that follows it.
std::size_t EndAtLabel(std::string_view value) {
  std::string lower = AsciiLower(value);
  std::size_t end = value.size();
  for (std::string_view label : kEndLabels) {
    for (std::size_t p = lower.find(label); p != std::string::npos && p < end;
         p = lower.find(label, p + 1)) {
      std::size_t after = SkipBlanks(lower, p + label.size());
      bool colon = lower.compare(after, 1, ":") == 0 || lower.compare(after, 3, "：") == 0;
      if (colon || p == 0 || BlankBefore(lower, p) < p) {
        end = p;
        break;
      }
    }
  }
  return end;
}

// The value cut to the text before a line end, a tag or the end of an attribute (a page's
// description may hold it), and before the next label; then trimmed of blanks and of the
// separators that come before another field.
std::string CleanValue(std::string_view value) {
  value = value.substr(0, std::min(value.find_first_of("<\"\r\n"), value.size()));
  value = value.substr(0, EndAtLabel(value));
  for (;;) {
    value = TrimBlanks(value);
    bool cut = false;
    for (std::string_view sep : {",", ";", "|", "，", "；", "、"}) {
      if (value.ends_with(sep)) {
        value.remove_suffix(sep.size());
        cut = true;
      }
    }
    if (!cut) break;
  }
  std::string text;
  for (std::size_t i = 0; i < value.size();) {
    bool entity = value.substr(i).starts_with("&nbsp;");
    text += entity ? ' ' : value[i];
    i += entity ? 6 : 1;
  }
  return text;
}

// `n` moved back to the start of the UTF-8 character it is in.
std::size_t CharStart(std::string_view s, std::size_t n) {
  while (n > 0 && n < s.size() && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return n;
}

bool IsFormControl(std::string_view tag) {
  std::string name = AsciiLower(tag.substr(1, 9));
  for (std::string_view control : {"input", "select", "textarea", "button"}) {
    if (name.starts_with(control)) return true;
  }
  return false;
}

// The text that follows `from` after blanks and at most a few tags; "" when a form control
// comes first.
std::string ValueAfter(std::string_view s, std::size_t from) {
  std::size_t i = from;
  for (std::size_t tags = 0;; ++tags) {
    i = SkipBlanks(s, i);
    if (i >= s.size() || s[i] != '<') break;
    std::size_t close = s.find('>', i);
    if (tags == kMaxTags || close == std::string_view::npos || IsFormControl(s.substr(i))) {
      return {};
    }
    i = close + 1;
  }
  if (i >= s.size()) return {};
  return CleanValue(s.substr(i, CharStart(s, std::min(s.size(), i + kMaxValueBytes)) - i));
}

// The text of the element before the one that starts at `tag`, past blanks and closing or
// opening tags between them.
std::string ValueBefore(std::string_view s, std::size_t tag) {
  std::size_t end = tag;
  for (std::size_t tags = 0; tags < kMaxTags && end > 0; ++tags) {
    while (BlankBefore(s, end) < end) end = BlankBefore(s, end);
    if (end == 0 || s[end - 1] != '>') break;
    std::size_t open = s.rfind('<', end - 1);
    if (open == std::string_view::npos) return {};
    end = open;
  }
  std::size_t start = end > kMaxValueBytes ? end - kMaxValueBytes : 0;
  while (start < end && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80) ++start;
  std::string_view text = s.substr(start, end - start);
  std::size_t gt = text.find_last_of(">\r\n");
  if (gt != std::string_view::npos) text.remove_prefix(gt + 1);
  return CleanValue(text);
}

bool LongEnough(const std::string& utf8) {
  return Utf8ToCp936(utf8).size() > 5;
}

bool ReadsLikeAddress(const std::string& utf8) {
  return !utf8.empty() && LongEnough(utf8) &&
         std::any_of(kAddressWords.begin(), kAddressWords.end(),
                     [&](std::string_view w) { return utf8.find(w) != std::string::npos; });
}

// An address label ends at `zhi` when "地" (blanks allowed between) or "厂" comes before it.
bool IsLabel(std::string_view s, std::size_t zhi) {
  std::string_view head = s.substr(0, zhi);
  if (head.ends_with("地") || head.ends_with("厂")) return true;
  if (head.empty() || std::string_view(" \t\r\n;\x80\xa0").find(head.back()) == head.npos) {
    return false;  // no blank before it either
  }
  std::size_t before = zhi;
  while (before > 0 && BlankBefore(s, before) < before) before = BlankBefore(s, before);
  return s.substr(0, before).ends_with("地");
}

// After the label at `zhi`: the position after its colon, or npos when it has none.
std::size_t AfterColon(std::string_view s, std::size_t zhi) {
  std::size_t i = SkipBlanks(s, zhi + kZhi.size());
  if (s.compare(i, 1, ":") == 0) return i + 1;
  if (s.compare(i, 3, "：") == 0) return i + 3;
  return std::string_view::npos;
}

// The label's element when the label is all its text: where its opening tag starts, or npos.
std::size_t CaptionTag(std::string_view s, std::size_t zhi) {
  std::size_t close = SkipBlanks(s, zhi + kZhi.size());
  if (close >= s.size() || s[close] != '<') return std::string_view::npos;
  std::size_t from = zhi > kMaxCaptionBytes ? zhi - kMaxCaptionBytes : 0;
  std::size_t gt = s.substr(from, zhi - from).find_last_of("<>");
  if (gt == std::string_view::npos || s[from + gt] != '>') return std::string_view::npos;
  return s.rfind('<', from + gt);
}

struct TLabel {
  std::size_t zhi;    // where its "址" starts
  std::size_t colon;  // just after its colon; npos when it has none
};

enum class TPass { Colon, ValueAfter, CaptionAfter };

std::string TryLabel(std::string_view s, const TLabel& label, TPass pass) {
  if (pass == TPass::Colon) {
    if (label.colon == std::string_view::npos) return {};
    std::string value = ValueAfter(s, label.colon);
    return LongEnough(value) ? value : std::string();
  }
  if (label.colon != std::string_view::npos) return {};
  std::size_t zhi = label.zhi;
  std::size_t next = SkipBlanks(s, zhi + kZhi.size());
  std::string value;
  if (pass == TPass::ValueAfter) {
    if (next < s.size() && s[next] == '<') value = ValueAfter(s, next);
  } else {
    std::size_t tag = CaptionTag(s, zhi);
    if (tag != std::string_view::npos) value = ValueBefore(s, tag);
  }
  return ReadsLikeAddress(value) ? value : std::string();
}

}  // namespace

std::string FindAddress(const TPageText& page) {
  std::string_view s = page.Utf8();
  std::vector<TLabel> labels;
  for (std::size_t zhi = s.find(kZhi); zhi != std::string_view::npos;
       zhi = s.find(kZhi, zhi + kZhi.size())) {
    if (IsLabel(s, zhi)) labels.push_back({zhi, AfterColon(s, zhi)});
  }
  for (TPass pass : {TPass::Colon, TPass::ValueAfter, TPass::CaptionAfter}) {
    for (const TLabel& label : labels) {
      std::string value = TryLabel(s, label, pass);
      if (!value.empty()) return Utf8ToCp936(value);
    }
  }
  return {};
}

}  // namespace zoqa
