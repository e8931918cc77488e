// One-shot page fetches: a new client per call, no cookies kept, no redirects followed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "harvest/net/proxyroute.h"

namespace zoqa {

// GET of `url` as HTTP/1.0 with the browser user agent. True whenever an HTTP exchange took
// place, whatever its status (a 404 page or a redirect's own body is content); the body is
// then in `body`. False, with `body` unchanged, when none did: an empty URL, a host that does
// not resolve, a refused connection, a time-out (`timeoutSeconds`, 90 when 0 or less), a
// scheme other than http or https, or a body over the site page limit. The proxy is used when
// both host and port are given, else the configured one.
bool FetchPage(const std::string& url, std::string& body, const std::string& proxyHost = {},
               const std::string& proxyPort = {}, int timeoutSeconds = 0);
// The same through the route's proxy (the configured one for the empty route).
bool FetchPage(const std::string& url, std::string& body, const TProxyRoute& route);

// GET of `url` for downloads: a 5 s time-out for connecting and between bytes, a Range from
// `rangeStart` when it is above 0, `cookieLines` ("name=value" each) as the Cookie header.
// True whenever an HTTP exchange took place; `stream` then holds the whole body.
bool FetchToStream(const std::string& url, std::int64_t rangeStart, std::string& stream,
                   const std::vector<std::string>& cookieLines = {});

}  // namespace zoqa
