// What every libcurl transfer of the harvesting engine shares: one-time library set-up, the
// http/https restriction, the configured proxy, the body size limit and the process-wide
// stop that cuts transfers short.
#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace zoqa {

// Collects a response body up to a limit; a longer body fails the transfer.
struct TCurlBody {
  std::string data;
  std::size_t limit = 0;
  bool overflow = false;
};

// A new easy handle with the shared options set: only http and https (also on redirects), no
// signals, the proxy of the settings, `body` as the write target, and an abort as soon as
// the process stops its workers after `epoch`. Throws std::bad_alloc when none can be made.
CURL* NewCurlHandle(TCurlBody& body, const std::uint64_t* epoch);

// Sets the shared options again on a handle that was reset.
void ApplyCurlDefaults(CURL* curl, TCurlBody& body, const std::uint64_t* epoch);

// A readable reason for a failed transfer.
std::string CurlErrorText(CURLcode code, const TCurlBody& body);

}  // namespace zoqa
