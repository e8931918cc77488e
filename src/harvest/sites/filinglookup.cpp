#include "harvest/sites/filinglookup.h"

#include <array>
#include <cstdint>

#include "harvest/base/enginesettings.h"
#include "harvest/text/pagetext.h"
#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

const std::array<std::string_view, 9> kSuffixLabels = {"com", "cn",  "net", "org", "tk",
                                                       "gov", "edu", "biz", "info"};

// The registry is asked at most this long, so a silent registry cannot hold a crawler.
constexpr long kLookupTimeoutMs = 15000;

THttpOptions LookupOptions() {
  THttpOptions options;
  options.UserAgent = EngineSettings()->SpiderUserAgent;
  options.ConnectTimeoutMs = kLookupTimeoutMs;
  options.ReadTimeoutMs = kLookupTimeoutMs;
  options.TotalTimeoutMs = kLookupTimeoutMs;
  return options;
}

bool IsSuffixLabel(std::string_view label) {
  for (std::string_view suffix : kSuffixLabels) {
    if (label == suffix) return true;
  }
  return false;
}

// The host part of a lower-cased site URL: after the scheme, up to the first "/".
std::string HostPart(const std::string& url) {
  std::string rest;
  if (url.starts_with("https://")) {
    rest = url.substr(8);
  } else if (url.find("http://") != std::string::npos) {
    rest = url.substr(7);
  } else {
    rest = Trim(url);
  }
  return rest.substr(0, rest.find('/'));
}

}  // namespace

std::string RegistrableDomain(std::string_view host) {
  std::vector<std::string_view> labels;
  std::size_t start = 0;
  for (;;) {
    std::size_t dot = host.find('.', start);
    labels.push_back(host.substr(start, dot == std::string_view::npos ? dot : dot - start));
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  for (std::size_t i = 1; i < labels.size(); ++i) {
    if (!IsSuffixLabel(labels[i])) continue;
    std::string domain(labels[i - 1]);
    for (std::size_t j = i; j < labels.size(); ++j) domain.append(".").append(labels[j]);
    return domain;
  }
  return {};
}

TFilingLookup::TFilingLookup() : http_(LookupOptions()) {}

std::string TFilingLookup::LookupIcp(const std::string& url) {
  try {
    return Lookup(url);
  } catch (...) {
    return {};
  }
}

std::string TFilingLookup::Lookup(const std::string& url) {
  std::string host = HostPart(AsciiLower(url));
  if (host.empty()) return {};
  std::string domain = RegistrableDomain(host);
  // Without a domain the registry would only show its bare search page, whose cells name
  // somebody else.
  if (domain.empty()) return {};
  const std::string& registry = EngineSettings()->BeianHost;
  http_.SetReferer("http://" + registry + "/");
  std::string body;
  if (!http_.Get("http://" + registry + "/search/" + domain, body) || body.empty()) return {};
  return NameFromPage(TPageText::FromUtf8(body));
}

std::string TFilingLookup::NameFromPage(const TPageText& page) {
  std::vector<std::string> cells =
      re_.FindAllUtf8("<td[^>]*>([\\s\\S]*?)</td>", page.Utf8(), SIZE_MAX, true);
  std::string kind;
  std::string text;
  for (const std::string& utf8Cell : cells) {
    std::string cell = Utf8ToCp936(utf8Cell);
    if (cell.empty()) continue;
    if (kind.empty() && FindText(cell, "id=\"kind\"") != std::string::npos) {
      kind = Trim(TextBetween("<div id=\"kind\">", "</div>", cell));
    } else if (FindText(cell, "break-word;") != std::string::npos) {
      text = Trim(TextBetween(">", "</td>", cell));
      break;
    }
  }
  if (kind.size() >= 11) return kind;
  if (text.size() > 10) return text;
  return {};
}

}  // namespace zoqa
