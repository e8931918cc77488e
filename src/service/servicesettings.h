// Where the maker's service lives, read from the [service] section of the settings file. The
// service link is off while ConfigHost is empty: no configuration fetch, no version check,
// and the program works on its own.
#pragma once

#include <memory>
#include <string>

namespace zoqa {

struct TServiceSettings {
  std::string ConfigHost;   // host of the configuration document; empty: service link off
  std::string ServiceHost;  // host of the service pages and tool archives
  std::string VersionHost;  // host of the periodic version query
  std::string MessengerHost = "wpa.qq.com";  // host of the messenger's web chat link
  std::string AdminContact;  // the administrator's messenger number in the failure message

  bool LinkOn() const { return !ConfigHost.empty(); }
};

// Reads [service] of the ini file at `path` over the defaults; empty keys keep the default.
// A missing ServiceHost or VersionHost falls back to ConfigHost.
TServiceSettings LoadServiceSettings(const std::string& path);

// The settings every thread reads; replaced as a whole.
std::shared_ptr<const TServiceSettings> ServiceSettings();
void SetServiceSettings(const TServiceSettings& settings);

}  // namespace zoqa
