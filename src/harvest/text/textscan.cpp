#include "harvest/text/textscan.h"

#include "harvest/base/enginesettings.h"
#include "util/textutil.h"

namespace zoqa {

std::string AfterMarker(std::string_view marker, std::string_view text) {
  std::size_t p = FindText(text, marker);
  return std::string(p == std::string_view::npos ? text : text.substr(p + marker.size()));
}

bool IsEngineUrl(std::string_view url, const std::vector<std::string>& engineDomains) {
  std::string lower = AsciiLower(url);
  for (const auto& domain : engineDomains) {
    // An empty entry would claim every URL for the engines.
    if (!domain.empty() && FindText(lower, AsciiLower(domain)) != std::string::npos) return true;
  }
  return false;
}

bool IsEngineUrl(std::string_view url) {
  return IsEngineUrl(url, EngineSettings()->EngineDomains);
}

bool IsPaidLink(TEngine engine, std::string_view link) {
  auto settings = EngineSettings();
  std::string marker = engine == egBaidu   ? settings->BaiduDomain + "/baidu.php"
                       : engine == egSogou ? settings->SogouDomain + "/bill_cpc?"
                                           : settings->So360ClickHost + "/search/eclk?";
  return FindText(link, marker) != std::string::npos;
}

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// An unquoted value ends at the first blank or at the tag's ">", whichever comes first.
std::size_t UnquotedEnd(std::string_view rest) {
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (IsBlank(rest[i]) || rest[i] == '>') return i;
  }
  return rest.size();
}

}  // namespace

std::string HrefValue(std::string_view anchor) {
  std::string lower = AsciiLower(anchor);
  std::size_t p = FindText(lower, "href=");
  if (p == std::string::npos) return {};
  std::string_view rest = std::string_view(lower).substr(p + 5);
  if (rest.empty()) return {};
  if (rest[0] == '"' || rest[0] == '\'') {
    std::size_t close = FindText(rest, std::string_view(&rest[0], 1), 1);
    return std::string(rest.substr(1, close == std::string_view::npos ? rest.npos : close - 1));
  }
  return std::string(rest.substr(0, UnquotedEnd(rest)));
}

std::string MakeSiteUrl(std::string_view host, std::string_view href) {
  std::string lower = AsciiLower(href);
  if (lower.starts_with("http://") || lower.starts_with("https://")) return lower;
  std::size_t start = lower.find_first_not_of("./");
  if (start == std::string::npos) return {};
  return "http://" + std::string(host) + "/" + lower.substr(start);
}

}  // namespace zoqa
