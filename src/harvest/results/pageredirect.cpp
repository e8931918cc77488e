#include "harvest/results/pageredirect.h"

#include <curl/curl.h>

#include <memory>

#include "util/textutil.h"

namespace zoqa {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";

std::string_view SkipBlanks(std::string_view text) {
  std::size_t at = text.find_first_not_of(kBlanks);
  return at == std::string_view::npos ? std::string_view() : text.substr(at);
}

bool OpensQuote(std::string_view text) {
  return !text.empty() && (text.front() == '"' || text.front() == '\'');
}

// The text between the opening quote of `text` and its closing one.
std::string_view Quoted(std::string_view text) {
  std::size_t close = text.find(text.front(), 1);
  return close == std::string_view::npos ? std::string_view() : text.substr(1, close - 1);
}

// The quoted text when `text` opens with a quote, else the text up to one of `stops`.
std::string_view QuotedOrBare(std::string_view text, std::string_view stops) {
  return OpensQuote(text) ? Quoted(text) : text.substr(0, text.find_first_of(stops));
}

// The value of attribute `name` in the tag text `tag` (lower case), "" when absent.
std::string_view AttributeValue(std::string_view tag, std::string_view name) {
  for (std::size_t at = tag.find(name); at != std::string_view::npos; at = tag.find(name, at + 1)) {
    if (at == 0 || kBlanks.find(tag[at - 1]) == std::string_view::npos) continue;
    std::string_view rest = SkipBlanks(tag.substr(at + name.size()));
    if (rest.empty() || rest.front() != '=') continue;
    return QuotedOrBare(SkipBlanks(rest.substr(1)), " \t\r\n>");
  }
  return {};
}

// The URL part of a refresh content "0;URL='…'" (any case, quotes optional).
std::string_view RefreshUrl(std::string_view content) {
  std::size_t semicolon = content.find_first_of(";,");
  if (semicolon == std::string_view::npos) return {};
  std::string_view rest = SkipBlanks(content.substr(semicolon + 1));
  if (rest.size() > 3 && SameText(rest.substr(0, 3), "url")) {
    std::string_view after = SkipBlanks(rest.substr(3));
    if (!after.empty() && after.front() == '=') rest = SkipBlanks(after.substr(1));
  }
  return QuotedOrBare(rest, kBlanks);
}

std::string MetaRefreshUrl(std::string_view body, std::string_view lower) {
  for (std::size_t at = lower.find("<meta"); at != std::string_view::npos;
       at = lower.find("<meta", at + 1)) {
    std::size_t end = lower.find('>', at);
    if (end == std::string_view::npos) break;
    std::string_view tag = lower.substr(at, end - at);
    if (AttributeValue(tag, "http-equiv") != "refresh") continue;
    std::string_view content = AttributeValue(tag, "content");
    if (content.empty()) continue;
    // The value as written, letter case kept, at the same place in the original body.
    std::size_t from = content.data() - lower.data();
    std::string url(RefreshUrl(body.substr(from, content.size())));
    return ReplaceText(url, "&amp;", "&", false);
  }
  return {};
}

// The quoted text after `call` (lower case) and an opening that `opener` allows to follow.
std::string ScriptUrl(std::string_view body, std::string_view lower, std::string_view call,
                      char opener) {
  for (std::size_t at = lower.find(call); at != std::string_view::npos;
       at = lower.find(call, at + 1)) {
    std::size_t from = at + call.size();
    std::string_view rest = SkipBlanks(body.substr(from));
    if (rest.empty() || rest.front() != opener) continue;
    rest = SkipBlanks(rest.substr(1));
    // A string literal, not a comparison or an expression.
    if (!OpensQuote(rest) || Quoted(rest).empty()) continue;
    return ReplaceText(Quoted(rest), "\\/", "/", false);
  }
  return {};
}

// `target` resolved against `base`; "" unless it is an http or https URL.
std::string Resolve(const std::string& base, const std::string& target) {
  std::unique_ptr<CURLU, void (*)(CURLU*)> url(curl_url(), curl_url_cleanup);
  if (!url || target.empty()) return {};
  curl_url_set(url.get(), CURLUPART_URL, base.c_str(), 0);
  if (curl_url_set(url.get(), CURLUPART_URL, target.c_str(), 0) != CURLUE_OK) return {};
  char* scheme = nullptr;
  char* full = nullptr;
  std::string out;
  if (curl_url_get(url.get(), CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
      (SameText(scheme, "http") || SameText(scheme, "https")) &&
      curl_url_get(url.get(), CURLUPART_URL, &full, 0) == CURLUE_OK) {
    out = full;
  }
  curl_free(scheme);
  curl_free(full);
  return out;
}

}  // namespace

std::string PageRedirectTarget(const std::string& pageUrl, std::string_view body) {
  std::string lower = AsciiLower(body);
  std::string target = MetaRefreshUrl(body, lower);
  if (target.empty()) target = ScriptUrl(body, lower, "location.replace", '(');
  if (target.empty()) target = ScriptUrl(body, lower, "location.href", '=');
  return Resolve(pageUrl, Trim(target));
}

}  // namespace zoqa
