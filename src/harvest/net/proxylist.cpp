#include "harvest/net/proxylist.h"

#include <fstream>
#include <sstream>

#include "util/textutil.h"

namespace zoqa {
namespace {

bool IsHostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '-' || c == '_';
}

int ParsePort(std::string_view text) {
  if (text.empty() || text.size() > 5) throw std::invalid_argument("the port is missing or bad");
  int port = 0;
  for (char c : text) {
    if (c < '0' || c > '9') throw std::invalid_argument("the port is not a number");
    port = port * 10 + (c - '0');
  }
  if (port < 1 || port > 65535) throw std::invalid_argument("the port is out of range");
  return port;
}

void ParseCredentials(std::string_view text, TProxyEntry& entry) {
  std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon == 0) {
    throw std::invalid_argument("the credentials are not user:password");
  }
  entry.User = std::string(text.substr(0, colon));
  entry.Password = std::string(text.substr(colon + 1));
}

void ParseHostPort(std::string_view text, TProxyEntry& entry) {
  if (!text.empty() && text.back() == '/') text.remove_suffix(1);
  std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) throw std::invalid_argument("the port is missing");
  std::string_view host = text.substr(0, colon);
  if (host.empty()) throw std::invalid_argument("the host is missing");
  for (char c : host) {
    if (!IsHostChar(c)) throw std::invalid_argument("the host has a character hosts cannot have");
  }
  entry.Host = std::string(host);
  entry.Port = ParsePort(text.substr(colon + 1));
}

}  // namespace

std::string TProxyEntry::Label() const {
  return Host + ":" + std::to_string(Port);
}

std::string TProxyEntry::Address() const {
  return Scheme + "://" + Label();
}

std::string TProxyEntry::Shown() const {
  std::string user = User.empty() ? std::string() : User + ":***@";
  return Scheme + "://" + user + Label();
}

TProxyEntry ParseProxy(std::string_view text) {
  TProxyEntry entry;
  std::size_t sep = text.find("://");
  if (sep == std::string_view::npos) throw std::invalid_argument("the scheme is missing");
  entry.Scheme = AsciiLower(text.substr(0, sep));
  if (entry.Scheme != "http" && entry.Scheme != "socks5h") {
    throw std::invalid_argument("the scheme is neither http nor socks5h");
  }
  std::string_view rest = text.substr(sep + 3);
  // The password may hold an "@"; the host part follows the last one.
  std::size_t at = rest.rfind('@');
  if (at != std::string_view::npos) {
    ParseCredentials(rest.substr(0, at), entry);
    rest.remove_prefix(at + 1);
  }
  ParseHostPort(rest, entry);
  return entry;
}

std::vector<TProxyEntry> ParseProxyList(const std::vector<std::string>& entries) {
  std::vector<TProxyEntry> proxies;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    try {
      proxies.push_back(ParseProxy(Trim(entries[i])));
    } catch (const std::invalid_argument& e) {
      throw TProxyListError("[net] Proxies entry " + std::to_string(i + 1) + ": " + e.what());
    }
  }
  return proxies;
}

std::vector<TProxyEntry> ParseProxyFile(std::string_view text, const std::string& name) {
  std::vector<TProxyEntry> proxies;
  std::istringstream lines{std::string(text)};
  int number = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number;
    std::string entry = Trim(line);
    if (entry.empty() || entry[0] == '#') continue;
    try {
      proxies.push_back(ParseProxy(entry));
    } catch (const std::invalid_argument& e) {
      throw TProxyListError(name + " line " + std::to_string(number) + ": " + e.what());
    }
  }
  return proxies;
}

std::vector<TProxyEntry> ReadProxyFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw TProxyListError("cannot read the proxy file " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return ParseProxyFile(text.str(), path);
}

}  // namespace zoqa
