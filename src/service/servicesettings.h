// Where the maker's service lives, read from the [service] section of the settings file. The
// service link is off while ConfigHost is empty: no configuration fetch, no version check,
// and the program works on its own.
#pragma once

#include <curl/curl.h>

#include <memory>
#include <string>
#include <string_view>

namespace zoqa {

struct TServiceSettings {
  std::string ConfigHost;   // host of the configuration document; empty: service link off
  std::string ServiceHost;  // host of the service pages and tool archives
  std::string VersionHost;  // host of the periodic version query
  std::string MessengerHost = "wpa.qq.com";  // host of the messenger's web chat link
  std::string AdminContact;  // the administrator's messenger number in the failure message
  // Only https service addresses: the program's own are built with https, plain-http ones
  // that the service offers (packages, tools, pages, images, redirects) are refused.
  bool RequireHttps = false;

  bool LinkOn() const { return !ConfigHost.empty(); }
  // "https://" with RequireHttps, else "http://": the start of the addresses built from hosts.
  std::string Scheme() const { return RequireHttps ? "https://" : "http://"; }
  // True for an https address, and for an http one unless RequireHttps (letter case ignored).
  bool AllowsUrl(std::string_view url) const;
  // The protocols a service request may use and be redirected to, in libcurl's notation.
  const char* Protocols() const { return RequireHttps ? "https" : "http,https"; }
};

// Reads [service] of the ini file at `path` over the defaults; empty keys keep the default.
// A missing ServiceHost or VersionHost falls back to ConfigHost.
TServiceSettings LoadServiceSettings(const std::string& path);

// Restricts a service request, redirects included, to the protocols the current settings allow.
void LimitServiceProtocols(CURL* curl);

// The settings every thread reads; replaced as a whole.
std::shared_ptr<const TServiceSettings> ServiceSettings();
void SetServiceSettings(const TServiceSettings& settings);

}  // namespace zoqa
