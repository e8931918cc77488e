// The proxies of the pool as the settings write them: `scheme://[user:password@]host:port`
// with the schemes http and socks5h, in a comma-separated list or one a line in a file.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zoqa {

struct TProxyEntry {
  std::string Scheme;  // "http" or "socks5h"
  std::string Host;
  int Port = 0;
  std::string User;
  std::string Password;

  // "host:port": how status lines and summaries name the proxy.
  std::string Label() const;
  // "scheme://host:port", without the credentials (they go to the client separately).
  std::string Address() const;
  // The entry as listed for the user: the password replaced by "***".
  std::string Shown() const;
};

// A malformed proxy: the message names where it is (line or entry number) and what is wrong,
// never the password.
class TProxyListError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One proxy; throws std::invalid_argument with the reason when it is malformed.
TProxyEntry ParseProxy(std::string_view text);

// The entries of `[net] Proxies`, numbered from 1 in errors.
std::vector<TProxyEntry> ParseProxyList(const std::vector<std::string>& entries);

// The lines of a proxy file: one proxy a line, blank lines and lines starting with "#" skipped.
std::vector<TProxyEntry> ParseProxyFile(std::string_view text, const std::string& name);
std::vector<TProxyEntry> ReadProxyFile(const std::string& path);

}  // namespace zoqa
