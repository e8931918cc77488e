#include "store/storeurl.h"

#include <libpq-fe.h>

#include <memory>

namespace zoqa {
namespace {

const char* const kSchemes[] = {"postgresql://", "postgres://"};

std::size_t SchemeLength(const std::string& text) {
  for (const char* scheme : kSchemes) {
    std::string prefix(scheme);
    if (text.compare(0, prefix.size(), prefix) == 0) return prefix.size();
  }
  return 0;
}

struct OptionsDeleter {
  void operator()(PQconninfoOption* options) const { PQconninfoFree(options); }
};

}  // namespace

bool TStoreUrl::LooksLikeUrl(const std::string& text) {
  return text.find("://") != std::string::npos;
}

TStoreUrl::TStoreUrl(const std::string& url) : url_(url) {
  if (SchemeLength(url) == 0) {
    throw EStoreUrl(
        "malformed store URL (expected postgresql://[user[:password]@]host[:port]/"
        "dbname): " +
        Masked());
  }
  char* error = nullptr;
  std::unique_ptr<PQconninfoOption, OptionsDeleter> options(PQconninfoParse(url.c_str(), &error));
  if (!options) {
    std::string reason = error ? error : "unreadable";
    PQfreemem(error);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == ' ')) reason.pop_back();
    throw EStoreUrl("malformed store URL " + Masked() + ": " + Scrub(reason));
  }
  for (PQconninfoOption* o = options.get(); o->keyword != nullptr; ++o) {
    std::string value = o->val ? o->val : "";
    std::string name = o->keyword;
    if (name == "host" || (name == "hostaddr" && host_.empty())) host_ = value;
    if (name == "port") port_ = value;
    if (name == "dbname") database_ = value;
    if (name == "password") password_ = value;
    if (name == "connect_timeout" && !value.empty()) hasTimeout_ = true;
    if (o->val != nullptr) given_.insert(name);
  }
  for (std::size_t from = 0; from < port_.size();) {
    // A list of hosts has a list of ports; each must be a port number.
    std::size_t comma = port_.find(',', from);
    std::string one = port_.substr(from, comma == std::string::npos ? comma : comma - from);
    bool digits =
        !one.empty() && one.size() <= 5 && one.find_first_not_of("0123456789") == std::string::npos;
    if (!digits || std::stoi(one) < 1 || std::stoi(one) > 65535) {
      throw EStoreUrl("malformed store URL " + Masked() + ": bad port \"" + one + "\"");
    }
    from = comma == std::string::npos ? port_.size() : comma + 1;
  }
  if (database_.empty()) throw EStoreUrl("the store URL names no database: " + Masked());
}

std::string TStoreUrl::Masked() const {
  std::size_t start = SchemeLength(url_);
  if (start == 0) start = url_.find("://") == std::string::npos ? 0 : url_.find("://") + 3;
  // The user information ends at the last "@" before the path.
  std::size_t pathStart = url_.find_first_of("/?", start);
  std::size_t at = url_.rfind('@', pathStart == std::string::npos ? url_.size() : pathStart);
  std::string masked = url_;
  if (at != std::string::npos && at >= start) {
    std::size_t colon = url_.find(':', start);
    if (colon != std::string::npos && colon < at) masked.replace(colon + 1, at - colon - 1, "***");
  }
  // A password given as a query parameter is masked too.
  std::size_t key = masked.find("password=");
  while (key != std::string::npos) {
    std::size_t end = masked.find('&', key);
    std::size_t from = key + 9;
    masked.replace(from, (end == std::string::npos ? masked.size() : end) - from, "***");
    key = masked.find("password=", from);
  }
  return masked;
}

std::string TStoreUrl::Label() const {
  std::string host = host_.empty() ? "localhost" : host_;
  return host + (port_.empty() ? "" : ":" + port_) + "/" + database_;
}

std::string TStoreUrl::Scrub(std::string text) const {
  if (password_.empty()) return text;
  for (std::size_t at = text.find(password_); at != std::string::npos;
       at = text.find(password_, at + 3)) {
    text.replace(at, password_.size(), "***");
  }
  return text;
}

}  // namespace zoqa
