// The loopback web of the harvest bench programs: company N lives at http://www.siteN.com/,
// whose home page shows its name, a landline and a mobile of its own; the filing registry
// knows none of them. The engines' result pages, which lead to the sites, are each program's
// own.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/loopbackproxy.h"
#include "support/loopbackworld.h"
#include "support/webpages.h"

namespace zoqa::bench {

inline std::string SiteUrl(int n) {
  return "http://www.site" + std::to_string(n) + ".com/";
}

inline std::string SiteCompanyName(const std::string& n) {
  return "广州第" + n + "号电子有限公司";
}

// Answers the pages no engine route takes with the home page of the company the host numbers.
inline void RouteCompanySites(test::TLoopbackWorld& world) {
  using test::TWorldResponse;
  world.RouteFn("*", "/", [](const test::TWorldRequest& r) {
    if (r.Host == test::RegistryHost()) return TWorldResponse::Page("none", 404);
    std::string n = r.Host.substr(8, r.Host.find('.', 8) - 8);
    return TWorldResponse::Page(test::CompanyHomePage(
        SiteCompanyName(n), "",
        "<p>电话：020-12345678 手机：138" + std::to_string(10000000 + std::stoi(n)) + "</p>"));
  });
}

// `count` loopback forward proxies in front of `world`.
inline std::vector<std::unique_ptr<test::TLoopbackProxy>> StartProxies(
    const test::TLoopbackWorld& world, int count) {
  std::vector<std::unique_ptr<test::TLoopbackProxy>> proxies;
  for (int i = 0; i < count; ++i) {
    proxies.push_back(std::make_unique<test::TLoopbackProxy>(world.Port()));
  }
  return proxies;
}

}  // namespace zoqa::bench
