#include "harvest/sites/titlename.h"

#include <algorithm>
#include <array>

#include "util/codepage.h"

namespace zoqa {
namespace {

// Searched in the UTF-8 form, where no character's bytes occur inside another's.
constexpr std::array<std::string_view, 6> kGreetings = {"欢迎您访问", "欢迎访问", "欢迎光临",
                                                        "欢迎来到",   "欢迎进入", "欢迎您"};
constexpr std::array<std::string_view, 9> kPageNames = {
    "官方网站首页", "网站首页", "官方网站", "官网首页", "首页", "官网", "主页", "欢迎您", "网站"};
// A page name before the name counts only with a separator after it: "首页_某某公司".
constexpr std::array<std::string_view, 3> kLeadingPageNames = {"网站首页", "首页", "官网"};
constexpr std::array<std::string_view, 15> kSeparators = {
    " ", "\t", "_", "-", "|", "!", ":", "—", "－", "｜", "！", "：", "·", "\u3000", "，"};

void CutSeparators(std::string& s) {
  for (bool again = true; again;) {
    again = false;
    for (std::string_view sep : kSeparators) {
      if (s.starts_with(sep)) {
        s.erase(0, sep.size());
        again = true;
      }
      if (s.ends_with(sep)) {
        s.erase(s.size() - sep.size());
        again = true;
      }
    }
  }
}

bool CutDecoration(std::string& s) {
  for (std::string_view g : kGreetings) {
    if (s.starts_with(g)) {
      s.erase(0, g.size());
      return true;
    }
  }
  for (std::string_view p : kPageNames) {
    if (s.ends_with(p)) {
      s.erase(s.size() - p.size());
      return true;
    }
  }
  for (std::string_view p : kLeadingPageNames) {
    std::string_view rest = std::string_view(s).substr(std::min(s.size(), p.size()));
    bool separated = false;
    for (std::string_view sep : kSeparators) separated = separated || rest.starts_with(sep);
    if (s.starts_with(p) && separated) {
      s.erase(0, p.size());
      return true;
    }
  }
  return false;
}

}  // namespace

std::string WithoutDecorations(std::string_view title) {
  std::string s = Cp936ToUtf8(title);
  bool changed = false;
  for (;;) {
    std::string cut = s;
    CutSeparators(cut);
    if (!CutDecoration(cut)) break;
    CutSeparators(cut);
    s = std::move(cut);
    changed = true;
  }
  if (!changed || s.empty()) return std::string(title);
  return Utf8ToCp936(s);
}

}  // namespace zoqa
