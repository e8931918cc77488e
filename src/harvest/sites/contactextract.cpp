#include "harvest/sites/contactextract.h"

#include <algorithm>
#include <unordered_set>

#include "harvest/sites/contactaddress.h"
#include "harvest/sites/titlename.h"
#include "harvest/text/pagesearch.h"
#include "harvest/text/textscan.h"
#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

const char kTitle[] = "<title[^>]*>[^>]*</title>";
const char kLandline[] = "(\\d{3,4}-)?\\d{7,8}";
const char kServiceNumber[] = "(\\d{3}-)(\\d{3,4}-)(\\d{3,4})";
// A 400 or 800 service hotline: ten digits, grouped by dashes or blanks as the page likes,
// standing alone; one followed by "号" is a filing number.
const char kHotline[] = "(?<![\\d-])[48]00(?:[- ]?\\d){7}(?![\\d-]|号)";
// A mobile number stands alone: no digit right before or after it. It may be written in
// groups of three, four and four digits, split by one kind of dash or blank throughout.
const char kMobile[] =
    "(?<!\\d)(134|135|136|137|138|139|147|150|151|152|157|158|159|178|182|183|184|187|188|130|"
    "131|132|145|155|156|176|185|186|133|153|177|180|181|189)([- ]?)\\d{4}\\2\\d{4}(?!\\d)";
const char kEmail[] = "[A-Z0-9._%+-]+@[A-Z0-9.-]+\\.[A-Z]{2,4}";
const char kQQ[] = "uin=[\\d]*&";
// A QQ number written as text: "QQ:", "QQ：", "QQ号" or "QQ号码" and 5 to 11 digits.
const char kQQText[] = "QQ(?:(?:号码|号)\\s*[:：]?|\\s*[:：])\\s*[1-9]\\d{4,10}(?!\\d)";

const std::vector<const char*>& ContactLinkPatterns(TEngineVariant variant) {
  static const std::vector<const char*> common = {
      "<a[^>]*>[^>]*联系我们[^>]*</a>", "<a[^>]*>[^>]*联系方式[^>]*</a>",
      "<a[^>]*>[^>]*关于我们[^>]*</a>", "<a[^>]*>[^>]*联系[^>]*</a>"};
  static const std::vector<const char*> sogou = {"<a[^>]*>联系我们</a>"};
  return variant == TEngineVariant::Sogou ? sogou : common;
}

// Adds entries to one of the record's lists as its Add methods do (no entry twice, ASCII
// letters without case), in linear time however many numbers a page holds.
class UniqueAppender {
 public:
  explicit UniqueAppender(std::vector<std::string>& list) : list_(list) {
    for (const auto& e : list_) seen_.insert(AsciiLower(e));
  }
  void Add(const std::string& s) {
    if (seen_.insert(AsciiLower(s)).second) list_.push_back(s);
  }

 private:
  std::vector<std::string>& list_;
  std::unordered_set<std::string> seen_;
};

bool NameIsEmpty(const TCompany& record) {
  return Trim(record.GetName()).empty();
}

void ExtractName(TRegExp& re, TCompany& record, const TPageText& page, TEngineVariant variant) {
  if (!NameIsEmpty(record)) return;
  std::vector<std::string> titles = FindInPage(re, kTitle, page);
  if (variant != TEngineVariant::Baidu) {
    record.SetName(WithoutDecorations(NameFromTitles(titles)));
    if (!NameIsEmpty(record)) return;
  }
  if (!titles.empty()) record.SetName(WithoutDecorations(TextBetween(">", "<", titles.front())));
}

// The matches of `pattern` long enough to be a landline (more than ten bytes).
std::vector<std::string> Landlines(TRegExp& re, const char* pattern, const TPageText& page) {
  std::vector<std::string> tels;
  for (auto& t : FindInPage(re, pattern, page)) {
    if (t.size() > 10) tels.push_back(std::move(t));
  }
  return tels;
}

std::string DigitsOnly(std::string_view text) {
  std::string digits;
  for (char c : text) {
    if (c >= '0' && c <= '9') digits += c;
  }
  return digits;
}

// A hotline written as a page shows it, in the form 400-618-2020.
std::string HotlineForm(std::string_view written) {
  std::string digits = DigitsOnly(written);
  if (digits.size() != 10) return std::string(written);
  return digits.substr(0, 3) + "-" + digits.substr(3, 3) + "-" + digits.substr(6);
}

bool InAny(const std::string& text, const std::vector<std::string>& within) {
  return std::any_of(within.begin(), within.end(),
                     [&](const std::string& w) { return w.find(text) != std::string::npos; });
}

void ExtractNumbers(TRegExp& re, TCompany& record, const TPageText& page) {
  std::vector<std::string> hotlines = FindInPage(re, kHotline, page);
  // A filing number or a date matches the landline pattern without being a landline; the
  // service number pattern then still gets its turn. Part of a hotline is no landline.
  std::vector<std::string> tels = Landlines(re, kLandline, page);
  if (tels.empty()) tels = Landlines(re, kServiceNumber, page);
  UniqueAppender telList(record.Tels);
  for (const auto& t : tels) {
    if (!InAny(t, hotlines)) telList.Add(t);
  }
  for (const auto& h : hotlines) telList.Add(HotlineForm(h));
  UniqueAppender mobileList(record.Mobiles);
  for (const auto& m : FindInPage(re, kMobile, page)) mobileList.Add(DigitsOnly(m));
}

void ExtractMailAndQQ(TRegExp& re, TCompany& record, const TPageText& page) {
  UniqueAppender emails(record.Emails);
  for (const auto& e : FindInPage(re, kEmail, page)) emails.Add(e);
  UniqueAppender qqs(record.QQs);
  for (const auto& q : FindInPage(re, kQQ, page)) {
    std::string number = TextBetween("uin=", "&", q);
    if (!number.empty()) qqs.Add(number);
  }
  for (const auto& q : FindInPage(re, kQQText, page)) {
    std::size_t digits = q.find_last_not_of("0123456789") + 1;
    qqs.Add(q.substr(digits));
  }
}

// Adds to `out` the piece of `title` before and including every occurrence of `word`, each
// cut after its last "_", " ", "-" or "|" (the first of these that the piece holds).
void SplitAtWord(std::string_view title, std::string_view word, std::vector<std::string>& out) {
  std::size_t from = 0;
  for (std::size_t p = FindText(title, word); p != std::string_view::npos;
       p = FindText(title, word, from)) {
    std::string_view piece = title.substr(from, p + word.size() - from);
    std::string candidate(piece);
    for (char sep : {'_', ' ', '-', '|'}) {
      std::size_t at = FindLastChar(piece, sep);
      if (at != std::string_view::npos) {
        candidate = piece.substr(at + 1);
        break;
      }
    }
    out.push_back(std::move(candidate));
    from = p + word.size();
  }
}

}  // namespace

std::string FindContactLink(TRegExp& re, const TPageText& page, std::string_view host,
                            TEngineVariant variant) {
  for (const char* pattern : ContactLinkPatterns(variant)) {
    std::vector<std::string> anchors = FindInPage(re, pattern, page, 1);
    if (anchors.empty()) continue;
    std::string href = HrefValue(anchors.front());
    return href.empty() ? std::string() : MakeSiteUrl(host, href);
  }
  return {};
}

bool ExtractContacts(TRegExp& re, TCompany& record, const TPageText& page, TEngineVariant variant,
                     const TStatusHook& status) {
  ExtractName(re, record, page, variant);
  if (status) status(Cp936("正在获取[") + record.GetName() + Cp936("]详细信息..."));
  ExtractNumbers(re, record, page);
  ExtractMailAndQQ(re, record, page);
  if (NameIsEmpty(record) || (record.Tels.empty() && record.Mobiles.empty())) {
    record.Reset();
    return false;
  }
  std::string addr = FindAddress(page);
  if (!addr.empty()) record.Addr = addr;
  return true;
}

std::string NameFromTitles(const std::vector<std::string>& titleMatches) {
  static const std::string company = Cp936("公司");
  static const std::string enterprise = Cp936("企业");
  std::string result;
  std::vector<std::string> candidates;
  for (const auto& match : titleMatches) {
    std::string title = TextBetween(">", "<", match);
    if (title.empty()) continue;
    result = title;
    SplitAtWord(title, company, candidates);
    if (candidates.empty()) SplitAtWord(title, enterprise, candidates);
  }
  for (auto it = candidates.rbegin(); it != candidates.rend(); ++it) {
    if (it->size() > 5) return *it;
  }
  return result;
}

}  // namespace zoqa
