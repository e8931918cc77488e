// The ICP filing lookup: the organisation registered for a site's domain, read from the
// filing registry's search page.
#pragma once

#include <string>
#include <string_view>

#include "harvest/net/httpclient.h"
#include "harvest/text/pagetext.h"
#include "harvest/text/regexp.h"

namespace zoqa {

// The registrable domain of `host`: the label before the first known suffix label (from the
// second label on) and every label after it; "" when no label qualifies.
std::string RegistrableDomain(std::string_view host);

class TFilingLookup {
 public:
  TFilingLookup();

  // The organisation behind `url`'s domain, or "" when nothing usable was found. Never
  // throws; the whole lookup takes at most 15 s.
  std::string LookupIcp(const std::string& url);

  // Sends the lookups through the route's proxy.
  void SetRoute(const TProxyRoute& route) { http_.SetRoute(route); }

  // The name chosen from the table cells of a registry page.
  std::string NameFromPage(const TPageText& page);

 private:
  std::string Lookup(const std::string& url);

  TRegExp re_;
  THttpClient http_;
};

}  // namespace zoqa
