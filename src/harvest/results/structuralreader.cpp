#include "harvest/results/structuralreader.h"

#include <libxml/HTMLparser.h>
#include <libxml/xpath.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_set>

#include "harvest/base/enginesettings.h"
#include "harvest/results/crawlfilter.h"
#include "harvest/results/resultselectors.h"
#include "harvest/text/textscan.h"
#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

struct TDocFree {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct TContextFree {
  void operator()(xmlXPathContext* context) const { xmlXPathFreeContext(context); }
};
struct TObjectFree {
  void operator()(xmlXPathObject* object) const { xmlXPathFreeObject(object); }
};
struct TTextFree {
  void operator()(xmlChar* text) const { xmlFree(text); }
};

constexpr int kParseOptions = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                              HTML_PARSE_NONET | HTML_PARSE_COMPACT;

// The parser's global state is set up once, before any thread parses.
void InitParser() {
  static std::once_flag once;
  std::call_once(once, [] { xmlInitParser(); });
}

bool IsBlank(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// The node's text (an attribute's value) with runs of blanks made one space, trimmed.
std::string NodeText(xmlNode* node) {
  std::unique_ptr<xmlChar, TTextFree> content(xmlNodeGetContent(node));
  std::string text;
  if (!content) return text;
  bool blank = false;
  for (const xmlChar* p = content.get(); *p; ++p) {
    if (IsBlank(*p)) {
      blank = !text.empty();
      continue;
    }
    if (blank) text += ' ';
    blank = false;
    text += static_cast<char>(*p);
  }
  return text;
}

class TXPath {
 public:
  explicit TXPath(xmlDoc* doc) : context_(xmlXPathNewContext(doc)) {}
  bool Ok() const { return context_ != nullptr; }

  // The nodes `expression` selects with `node` as the context node, in document order.
  std::vector<xmlNode*> Select(xmlNode* node, const std::string& expression) {
    std::vector<xmlNode*> nodes;
    if (expression.empty()) return nodes;
    context_->node = node;
    std::unique_ptr<xmlXPathObject, TObjectFree> found(xmlXPathEvalExpression(
        reinterpret_cast<const xmlChar*>(expression.c_str()), context_.get()));
    if (!found || !found->nodesetval) return nodes;
    xmlNodeSet* set = found->nodesetval;
    nodes.assign(set->nodeTab, set->nodeTab + set->nodeNr);
    return nodes;
  }

 private:
  std::unique_ptr<xmlXPathContext, TContextFree> context_;
};

// The page from the tag of the element with id `container` on; the whole page when there is
// no container or no such element. What comes before it (the head with its inline styles and
// scripts, the top bar) is often most of a result page and holds no result, so the parser
// is spared it.
std::string_view ResultPart(const std::string& utf8, const std::string& container) {
  if (container.empty()) return utf8;
  std::size_t at = std::string::npos;
  for (const char* quote : {"\"", "'", ""}) {
    at = std::min(at, utf8.find("id=" + std::string(quote) + container + quote));
  }
  std::size_t tag = at == std::string::npos ? std::string::npos : utf8.rfind('<', at);
  if (tag == std::string::npos) return utf8;
  return std::string_view(utf8).substr(tag);
}

bool IsHttpUrl(const std::string& url) {
  std::string lower = AsciiLower(url.substr(0, 8));
  return lower.starts_with("http://") || lower.starts_with("https://");
}

std::string SearchHost(TEngine engine) {
  auto settings = EngineSettings();
  if (engine == egBaidu) return settings->BaiduSearchHost;
  if (engine == egSogou) return settings->SogouSearchHost;
  return settings->So360SearchHost;
}

// `href` made absolute on the engine's search host; "" for what is no web link.
std::string AbsoluteLink(TEngine engine, const std::string& href) {
  if (IsHttpUrl(href)) return href;
  if (href.starts_with("//")) return "https:" + href;
  if (href.starts_with("/")) return "https://" + SearchHost(engine) + href;
  return {};
}

// How links compare between the readings: letter case ignored, and the classic reading
// keeps "&amp;" where the parser has "&".
std::string LinkKey(const std::string& link) {
  return AsciiLower(ReplaceText(link, "&amp;", "&", false));
}

// One result block: its link, title, promotion and every URL it holds.
struct TBlock {
  TResultLink result;
  std::vector<std::string> keys;
};

TBlock ReadBlock(TEngine engine, TXPath& xpath, xmlNode* block, const TResultSelectors& s) {
  TBlock read;
  for (xmlNode* target : xpath.Select(block, s.Target)) {
    std::string url = Utf8ToCp936(NodeText(target));
    read.keys.push_back(LinkKey(url));
    if (read.result.Link.empty() && IsHttpUrl(url) && !IsEngineUrl(url) &&
        !IsEngineCopy(engine, url)) {
      read.result.Link = url;
    }
  }
  std::vector<xmlNode*> anchors = xpath.Select(block, s.Anchor);
  if (!anchors.empty()) {
    std::unique_ptr<xmlChar, TTextFree> href(xmlGetProp(anchors.front(), BAD_CAST "href"));
    std::string link =
        href ? AbsoluteLink(engine, Utf8ToCp936(Trim(reinterpret_cast<char*>(href.get()))))
             : std::string();
    read.keys.push_back(LinkKey(link));
    if (read.result.Link.empty()) read.result.Link = link;
  }
  std::vector<xmlNode*> titles = xpath.Select(block, s.Title);
  if (!titles.empty()) read.result.Title = Utf8ToCp936(NodeText(titles.front()));
  read.result.Paid =
      IsPaidLink(engine, read.result.Link) || !xpath.Select(block, s.AdMarks).empty();
  read.result.Reader = TReader::Page;
  return read;
}

// Every link an anchor of the block holds in any of its attributes, as a classic pass
// over the page would find it.
void AddAnchorLinks(TXPath& xpath, xmlNode* block, std::unordered_set<std::string>& links) {
  for (xmlNode* value : xpath.Select(block, ".//a/@*")) {
    std::string text = NodeText(value);
    if (IsHttpUrl(text)) links.insert(LinkKey(Utf8ToCp936(text)));
  }
}

}  // namespace

bool TPageStructure::InResultBlock(const std::string& link) const {
  return blockLinks.count(LinkKey(link)) > 0;
}

TPageStructure ReadPageStructure(TEngine engine, const TPageText& page,
                                 const std::vector<TResultLink>& classic) {
  TPageStructure read;
  const std::string& utf8 = page.Utf8();
  if (utf8.empty()) return read;
  InitParser();
  const TResultSelectors& selectors = ResultSelectors(engine);
  std::string_view part = ResultPart(utf8, selectors.Container);
  std::unique_ptr<xmlDoc, TDocFree> doc(
      htmlReadMemory(part.data(), static_cast<int>(part.size()), nullptr, "UTF-8", kParseOptions));
  if (!doc) return read;
  TXPath xpath(doc.get());
  if (!xpath.Ok()) return read;
  std::unordered_set<std::string> seen;
  for (const TResultLink& r : classic) seen.insert(LinkKey(r.Link));
  std::vector<TResultLink>& results = read.Added;
  for (xmlNode* node : xpath.Select(reinterpret_cast<xmlNode*>(doc.get()), selectors.Blocks)) {
    read.Recognised = true;
    TBlock block = ReadBlock(engine, xpath, node, selectors);
    for (const std::string& key : block.keys) read.blockLinks.insert(key);
    AddAnchorLinks(xpath, node, read.blockLinks);
    bool known = std::any_of(block.keys.begin(), block.keys.end(), [&](const std::string& key) {
      return !key.empty() && seen.count(key) > 0;
    });
    if (known || !IsCrawlable(engine, block.result.Link)) continue;
    seen.insert(LinkKey(block.result.Link));
    results.push_back(std::move(block.result));
  }
  std::stable_partition(results.begin(), results.end(),
                        [](const TResultLink& r) { return r.Paid; });
  return read;
}

}  // namespace zoqa
