// The loopback world itself: virtual hosts through the proxy, direct requests, the log.
#include "support/loopbackworld.h"

#include <gtest/gtest.h>
#include <httplib.h>

namespace zoqa::test {
namespace {

TEST(LoopbackWorld, ServesVirtualHostsAsProxyAndDirectly) {
  TLoopbackWorld world;
  world.Route("www.baidu.com", "/s?wd=%D6%D0", TWorldResponse::Page("exact"));
  world.RoutePrefix("www.baidu.com", "/s", TWorldResponse::Page("prefix"));
  world.Route(world.DirectHost(), "/direct", TWorldResponse::Page("direct"));
  world.Route("www.site.com", "/go", TWorldResponse::Redirect("http://www.other.com/"));

  httplib::Client proxied("www.baidu.com");
  proxied.set_proxy("127.0.0.1", world.Port());
  auto exact = proxied.Get("/s?wd=%D6%D0", {{"Cookie", "a=1"}, {"Referer", "http://r/"}});
  ASSERT_TRUE(exact);
  EXPECT_EQ(exact->body, "exact");
  auto prefix = proxied.Get("/s?wd=other");
  ASSERT_TRUE(prefix);
  EXPECT_EQ(prefix->body, "prefix");
  EXPECT_EQ(proxied.Get("/nothing")->status, 404);

  httplib::Client site("www.site.com");
  site.set_proxy("127.0.0.1", world.Port());
  auto moved = site.Get("/go");
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved->status, 302);
  EXPECT_EQ(moved->get_header_value("Location"), "http://www.other.com/");

  httplib::Client direct("127.0.0.1", world.Port());
  auto d = direct.Get("/direct");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->body, "direct");

  auto log = world.Requests({"www.baidu.com", "/s"});
  ASSERT_EQ(log.size(), 2u);
  EXPECT_TRUE(log[0].ViaProxy);
  EXPECT_EQ(log[0].Target, "/s?wd=%D6%D0");
  EXPECT_EQ(log[0].Path, "/s");
  EXPECT_EQ(log[0].Cookie, "a=1");
  EXPECT_EQ(log[0].Referer, "http://r/");
  EXPECT_FALSE(log[1].HasCookie);
  EXPECT_EQ(log[0].Version, "HTTP/1.1");
  auto directLog = world.Requests({world.DirectHost(), ""});
  ASSERT_EQ(directLog.size(), 1u);
  EXPECT_FALSE(directLog[0].ViaProxy);
  EXPECT_EQ(world.Count(), 5);
}

TEST(LoopbackWorld, HeldConnectionsDoNotHoldTheStop) {
  auto world = std::make_unique<TLoopbackWorld>();
  TWorldResponse never;
  never.NeverAnswer = true;
  world->Route("www.silent.com", "/", never);
  std::thread client([port = world->Port()] {
    httplib::Client c("www.silent.com");
    c.set_proxy("127.0.0.1", port);
    c.set_read_timeout(30, 0);
    c.Get("/");
  });
  ASSERT_TRUE(world->WaitForCount({"www.silent.com", "/"}, 1, 5000));
  auto start = SteadyMs();
  world.reset();
  EXPECT_LT(SteadyMs() - start, 3000);
  client.join();
}

}  // namespace
}  // namespace zoqa::test
