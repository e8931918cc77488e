// The address of a team store: a postgresql:// URL as libpq reads it, checked before any
// connection is tried, with a form for display that never holds the password.
#pragma once

#include <set>
#include <stdexcept>
#include <string>

namespace zoqa {

// A store URL that is not a postgresql:// URL libpq can read.
class EStoreUrl : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TStoreUrl {
 public:
  // Raises EStoreUrl when `url` is not a postgresql:// (or postgres://) URL libpq accepts,
  // or names no database.
  explicit TStoreUrl(const std::string& url);

  // True when `text` should be read as a store URL rather than a program directory.
  static bool LooksLikeUrl(const std::string& text);

  const std::string& Url() const { return url_; }
  const std::string& Host() const { return host_; }
  const std::string& Port() const { return port_; }
  const std::string& Database() const { return database_; }
  const std::string& Password() const { return password_; }
  // True when the URL sets connect_timeout itself.
  bool HasConnectTimeout() const { return hasTimeout_; }
  // True when the URL sets the connection parameter `keyword` itself.
  bool Sets(const std::string& keyword) const { return given_.count(keyword) != 0; }

  // The URL with "***" in place of its password, if it has one.
  std::string Masked() const;
  // "host:port/database" for status lines.
  std::string Label() const;
  // `text` with every occurrence of the password replaced by "***".
  std::string Scrub(std::string text) const;

 private:
  std::string url_;
  std::set<std::string> given_;
  std::string host_;
  std::string port_;
  std::string database_;
  std::string password_;
  bool hasTimeout_ = false;
};

}  // namespace zoqa
