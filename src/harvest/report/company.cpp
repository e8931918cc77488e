#include "harvest/report/company.h"

#include <algorithm>
#include <array>

#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

struct NameEdit {
  std::string from;
  std::string to;
};

// The edits SetName applies, in order, each to every occurrence.
const std::array<NameEdit, 9>& NameEdits() {
  static const std::array<NameEdit, 9> edits = {{
      {Cp936("联系方式"), ""},
      {Cp936("联系我们"), ""},
      {Cp936("关于我们"), ""},
      {Cp936("联系"), ""},
      {".", ""},
      {"?", ""},
      {"-", ""},
      {"_", ""},
      {",", " "},
  }};
  return edits;
}

}  // namespace

std::string TCompany::GetName() const {
  return ComName.empty() ? " " : ComName;
}

void TCompany::SetName(std::string_view s) {
  // Every multi-byte text searched holds 联系 or is 关于我们: a name with neither of them and
  // none of the single characters needs no edit (the usual case, found in three scans).
  const auto& edits = NameEdits();
  if (s.find(edits[3].from) == std::string_view::npos &&
      s.find(edits[2].from) == std::string_view::npos &&
      s.find_first_of(".?-_,") == std::string_view::npos) {
    ComName.assign(s);
    return;
  }
  std::string name(s);
  // None of the searched texts has a letter, so letter case plays no part and an edit whose
  // text does not occur can be skipped without a copy of the name.
  for (const auto& edit : edits) {
    if (name.find(edit.from) != std::string::npos) {
      name = ReplaceText(name, edit.from, edit.to, true);
    }
  }
  ComName = std::move(name);
}

void TCompany::Reset() {
  Tels.clear();
  Mobiles.clear();
  Emails.clear();
  QQs.clear();
  SetName("");
  Addr.clear();
  WebUrl.clear();
  Source.clear();
  IsPay = 0;
}

void TCompany::Assign(const TCompany& other) {
  if (this == &other) return;
  SetName(other.GetName());
  Addr = other.Addr;
  WebUrl = other.WebUrl;
  Source = other.Source;
  IsPay = other.IsPay;
  RenZheng = other.RenZheng;
  Tels = other.Tels;
  Mobiles = other.Mobiles;
  Emails = other.Emails;
  QQs = other.QQs;
}

void TCompany::AddUnique(std::vector<std::string>& list, std::string_view s) {
  bool present =
      std::any_of(list.begin(), list.end(), [s](const std::string& e) { return SameText(e, s); });
  if (!present) list.emplace_back(s);
}

}  // namespace zoqa
