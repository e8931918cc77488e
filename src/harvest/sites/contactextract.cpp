#include "harvest/sites/contactextract.h"

#include <unordered_set>

#include "harvest/text/pagesearch.h"
#include "harvest/text/textscan.h"
#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

const char kTitle[] = "<title[^>]*>[^>]*</title>";
const char kLandline[] = "(\\d{3,4}-)?\\d{7,8}";
const char kServiceNumber[] = "(\\d{3}-)(\\d{3,4}-)(\\d{3,4})";
// A mobile number stands alone: no digit right before or after it. It may be written in
// groups of three, four and four digits, split by one kind of dash or blank throughout.
const char kMobile[] =
    "(?<!\\d)(134|135|136|137|138|139|147|150|151|152|157|158|159|178|182|183|184|187|188|130|"
    "131|132|145|155|156|176|185|186|133|153|177|180|181|189)([- ]?)\\d{4}\\2\\d{4}(?!\\d)";
const char kEmail[] = "[A-Z0-9._%+-]+@[A-Z0-9.-]+\\.[A-Z]{2,4}";
const char kQQ[] = "uin=[\\d]*&";
// A QQ number written as text: "QQ:", "QQ：", "QQ号" or "QQ号码" and 5 to 11 digits.
const char kQQText[] = "QQ(?:(?:号码|号)\\s*[:：]?|\\s*[:：])\\s*[1-9]\\d{4,10}(?!\\d)";
const char kAddress[] = "地.*址\\S*";

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
    record.SetName(NameFromTitles(titles));
    if (!NameIsEmpty(record)) return;
  }
  if (!titles.empty()) record.SetName(TextBetween(">", "<", titles.front()));
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

void ExtractNumbers(TRegExp& re, TCompany& record, const TPageText& page) {
  // A filing number or a date matches the landline pattern without being a landline; the
  // service number pattern then still gets its turn.
  std::vector<std::string> tels = Landlines(re, kLandline, page);
  if (tels.empty()) tels = Landlines(re, kServiceNumber, page);
  UniqueAppender telList(record.Tels);
  for (const auto& t : tels) telList.Add(t);
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

// The text after the label's first colon up to the first tag: "地址：广州市天河区…号</div>".
std::string AddressBeforeTag(std::string_view match) {
  static const std::string wideColon = Cp936("：");
  std::size_t narrow = FindText(match, ":");
  std::size_t wide = FindText(match, wideColon);
  if (narrow == std::string_view::npos && wide == std::string_view::npos) return {};
  std::size_t start = narrow < wide ? narrow + 1 : wide + wideColon.size();
  std::string_view addr = match.substr(start);
  return std::string(addr.substr(0, FindText(addr, "<")));
}

void ExtractAddress(TRegExp& re, TCompany& record, const TPageText& page) {
  // Only the first match is used, so the search stops there.
  std::vector<std::string> found = FindInPage(re, kAddress, page, 1);
  if (found.empty()) return;
  std::string direct = AddressBeforeTag(found.front());
  if (direct.size() > 5) {
    record.Addr = direct;
    return;
  }
  // Otherwise the text after the markers, as in "地址：<b>广州市天河区</b>".
  std::string addr = AfterMarker(">", found.front());
  addr = AfterMarker(":", addr);
  addr = AfterMarker(Cp936("："), addr);
  addr = AfterMarker(Cp936("址"), addr);
  std::size_t tag = FindText(addr, "<");
  if (tag != std::string::npos) addr.resize(tag);
  if (addr.size() > 5) record.Addr = addr;
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
  ExtractAddress(re, record, page);
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
