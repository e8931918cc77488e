// The long-lived client and the one-shot fetches against the loopback world.
#include "harvest/net/httpclient.h"

#include <gtest/gtest.h>

#include <thread>

#include "harvest/harvestfixture.h"
#include "harvest/net/fetchpage.h"

namespace zoqa::test {
namespace {

class HttpClientTest : public HarvestTest {};

TEST_F(HttpClientTest, FollowsRedirectsKeepsCookiesAndReportsTheFinalUrl) {
  world.Route("www.start.com", "/go",
              TWorldResponse::Redirect("http://www.final.com/page?x=1")
                  .WithHeader("Set-Cookie", "SID=s1; Path=/"));
  world.Route("www.final.com", "/page?x=1",
              TWorldResponse::Page("final").WithHeader("Set-Cookie", "BAIDUID=abc; Path=/"));
  world.Route("www.final.com", "/again", TWorldResponse::Page("again"));
  world.Route(world.DirectHost(), "/direct", TWorldResponse::Page("direct"));

  THttpClient http;
  std::string body;
  ASSERT_TRUE(http.Get("http://www.start.com/go", body)) << http.Error();
  EXPECT_EQ(body, "final");
  EXPECT_EQ(http.LastUrl(), "http://www.final.com/page?x=1");
  EXPECT_EQ(http.LastHost(), "www.final.com");
  EXPECT_EQ(http.LastCookieHeader(), "");  // nothing to send yet for www.final.com

  ASSERT_TRUE(http.Get("http://www.final.com/again", body));
  EXPECT_EQ(http.LastCookieHeader(), "BAIDUID=abc");
  auto again = world.Requests({"www.final.com", "/again"});
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again[0].Cookie, "BAIDUID=abc");
  EXPECT_EQ(again[0].UserAgent, kBrowserUserAgent);
  EXPECT_TRUE(again[0].ViaProxy);
  EXPECT_FALSE(world.Requests({"www.start.com", "/go"})[0].HasCookie);

  ASSERT_TRUE(http.Get(world.DirectUrl("/direct"), body));
  EXPECT_EQ(http.LastHost(), world.DirectHost());
}

TEST_F(HttpClientTest, ExtraCookieHeaderIsSentOnlyWhenNotEmpty) {
  world.RoutePrefix("www.site.com", "/", TWorldResponse::Page("ok"));
  THttpClient http;
  std::string body;
  http.SetCookieHeader("");
  ASSERT_TRUE(http.Get("http://www.site.com/a", body));
  http.SetCookieHeader("BAIDUID=xyz");
  ASSERT_TRUE(http.Get("http://www.site.com/b", body));
  auto log = world.Requests({"www.site.com", ""});
  ASSERT_EQ(log.size(), 2u);
  EXPECT_FALSE(log[0].HasCookie);
  EXPECT_EQ(log[1].Cookie, "BAIDUID=xyz");
  EXPECT_EQ(http.LastCookieHeader(), "BAIDUID=xyz");
}

TEST_F(HttpClientTest, ErrorStatusesAndForeignSchemesFail) {
  world.Route("www.site.com", "/missing", TWorldResponse::Page("gone", 404));
  world.Route("www.site.com", "/broken", TWorldResponse::Page("oops", 500));
  world.Route("www.site.com", "/tofile", TWorldResponse::Redirect("file:///etc/hostname"));
  world.Route("www.site.com", "/toftp", TWorldResponse::Redirect("ftp://127.0.0.1/x"));
  world.Route("www.site.com", "/tomissing", TWorldResponse::Redirect("/missing"));

  THttpClient http;
  for (const char* url :
       {"http://www.site.com/missing", "http://www.site.com/broken", "http://www.site.com/tofile",
        "http://www.site.com/toftp", "http://www.site.com/tomissing", "file:///etc/hostname",
        "gopher://www.site.com/"}) {
    std::string body;
    EXPECT_FALSE(http.Get(url, body)) << url;
    EXPECT_FALSE(http.Error().empty()) << url;
  }
  // Neither foreign URL reached the world (as a proxy request or otherwise).
  EXPECT_EQ(world.Count({"www.site.com", "/x"}), 0);
  EXPECT_EQ(world.Count({"", "/etc"}), 0);
}

TEST_F(HttpClientTest, BodiesOverTheSizeLimitFail) {
  TWorldResponse exact;
  exact.StreamBytes = static_cast<std::int64_t>(kMaxPageBytes);
  world.Route("www.big.com", "/exact", exact);
  TWorldResponse over;
  over.StreamBytes = static_cast<std::int64_t>(kMaxPageBytes) + 1;
  world.Route("www.big.com", "/over", over);
  TWorldResponse endless;
  endless.Endless = true;
  world.Route("www.big.com", "/endless", endless);

  THttpClient http;
  std::string body;
  EXPECT_TRUE(http.Get("http://www.big.com/exact", body)) << http.Error();
  EXPECT_EQ(body.size(), kMaxPageBytes);
  body.clear();
  EXPECT_FALSE(http.Get("http://www.big.com/over", body));
  EXPECT_FALSE(http.Get("http://www.big.com/endless", body));
  EXPECT_LE(body.size(), kMaxPageBytes);

  std::string page = "unchanged";
  EXPECT_FALSE(FetchPage("http://www.big.com/endless", page));
  EXPECT_EQ(page, "unchanged");
  // Company-site pages have a lower limit.
  TWorldResponse site;
  site.StreamBytes = static_cast<std::int64_t>(kMaxSitePageBytes);
  world.Route("www.big.com", "/site", site);
  site.StreamBytes += 1;
  world.Route("www.big.com", "/site-over", site);
  EXPECT_TRUE(FetchPage("http://www.big.com/site", page));
  EXPECT_EQ(page.size(), kMaxSitePageBytes);
  EXPECT_FALSE(FetchPage("http://www.big.com/site-over", page));
}

TEST_F(HttpClientTest, SilentServerTimesOut) {
  TWorldResponse never;
  never.NeverAnswer = true;
  world.Route("www.silent.com", "/", never);
  THttpOptions options;
  options.ReadTimeoutMs = 400;
  THttpClient http(options);
  std::string body;
  auto start = SteadyMs();
  EXPECT_FALSE(http.Get("http://www.silent.com/", body));
  auto took = SteadyMs() - start;
  EXPECT_GE(took, 350);
  EXPECT_LT(took, 4000);
}

TEST_F(HttpClientTest, StoppingAllWorkersCutsTransfersShort) {
  TWorldResponse never;
  never.NeverAnswer = true;
  world.Route("www.silent.com", "/", never);
  std::atomic<bool> done{false};
  std::atomic<bool> result{true};
  std::atomic<std::int64_t> endedAt{0};
  std::thread fetcher([&] {
    std::string body;
    result = FetchPage("http://www.silent.com/", body);
    endedAt = SteadyMs();
    done = true;
  });
  ASSERT_TRUE(world.WaitForCount({"www.silent.com", "/"}, 1, 5000));
  auto stopAt = SteadyMs();
  StopAllWorkers();
  for (int i = 0; i < 500 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  world.ReleaseHeld();
  fetcher.join();
  EXPECT_FALSE(result);
  EXPECT_LT(endedAt - stopAt, 2000);
}

class FetchPageTest : public HarvestTest {};

TEST_F(FetchPageTest, AnyCompletedExchangeIsContent) {
  world.Route("www.site.com", "/missing", TWorldResponse::Page("<html>not here</html>", 404));
  TWorldResponse moved = TWorldResponse::Redirect("http://www.site.com/target");
  moved.Body = "moved body";
  world.Route("www.site.com", "/moved", moved);
  world.Route("www.site.com", "/target", TWorldResponse::Page("target"));

  std::string body;
  ASSERT_TRUE(FetchPage("http://www.site.com/missing", body));
  EXPECT_EQ(body, "<html>not here</html>");
  ASSERT_TRUE(FetchPage("http://www.site.com/moved", body));
  EXPECT_EQ(body, "moved body");
  EXPECT_EQ(world.Count({"www.site.com", "/target"}), 0);

  auto log = world.Requests({"www.site.com", ""});
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].Version, "HTTP/1.0");
  EXPECT_EQ(log[0].UserAgent, kBrowserUserAgent);
  EXPECT_FALSE(log[0].HasCookie);
}

TEST_F(FetchPageTest, NoExchangeLeavesTheBodyAlone) {
  int closedPort;
  {
    TLoopbackWorld gone;
    closedPort = gone.Port();
  }
  TWorldResponse never;
  never.NeverAnswer = true;
  world.Route("www.silent.com", "/", never);

  std::string body = "unchanged";
  EXPECT_FALSE(FetchPage("", body));
  EXPECT_FALSE(FetchPage("file:///etc/hostname", body));
  // A proxy given by the caller wins over the configured one; here nobody listens there.
  EXPECT_FALSE(FetchPage("http://www.site.com/", body, "127.0.0.1", std::to_string(closedPort)));
  auto start = SteadyMs();
  EXPECT_FALSE(FetchPage("http://www.silent.com/", body, "", "", 1));
  auto took = SteadyMs() - start;
  EXPECT_GE(took, 900);
  EXPECT_LT(took, 5000);
  EXPECT_EQ(body, "unchanged");
  EXPECT_EQ(world.Count({"www.site.com", ""}), 0);
}

TEST_F(FetchPageTest, FetchToStreamSendsRangeOnlyFromAnOffset) {
  world.Route("www.dl.com", "/file.zip", TWorldResponse::Page("0123456789"));
  world.Route("www.dl.com", "/none", TWorldResponse::Page("missing", 404));
  std::string stream;
  ASSERT_TRUE(FetchToStream("http://www.dl.com/file.zip", 0, stream));
  EXPECT_EQ(stream, "0123456789");
  ASSERT_TRUE(FetchToStream("http://www.dl.com/file.zip", 4, stream, {"a=1", "b=2"}));
  EXPECT_EQ(stream, "456789");
  ASSERT_TRUE(FetchToStream("http://www.dl.com/none", 0, stream));
  EXPECT_EQ(stream, "missing");

  auto log = world.Requests({"www.dl.com", ""});
  ASSERT_EQ(log.size(), 3u);
  EXPECT_FALSE(log[0].HasRange);
  EXPECT_FALSE(log[0].HasCookie);
  EXPECT_EQ(log[0].UserAgent, "Mozilla/4.0 (compatible; Synapse)");
  EXPECT_EQ(log[1].Range, "bytes=4-");
  EXPECT_EQ(log[1].Cookie, "a=1; b=2");
}

}  // namespace
}  // namespace zoqa::test
