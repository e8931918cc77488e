// The filing lookup: the registrable domain, the registry request and the cell walk.
#include "harvest/sites/filinglookup.h"

#include <gtest/gtest.h>

#include "harvest/harvestfixture.h"

namespace zoqa::test {
namespace {

TEST(RegistrableDomain, TakesTheLabelBeforeTheFirstSuffix) {
  EXPECT_EQ(RegistrableDomain("www.gzdz.com"), "gzdz.com");
  EXPECT_EQ(RegistrableDomain("shop.gzdz.com.cn"), "gzdz.com.cn");
  EXPECT_EQ(RegistrableDomain("gzdz.net"), "gzdz.net");
  EXPECT_EQ(RegistrableDomain("a.b.gzdz.info"), "gzdz.info");
  // The first label never counts as a suffix.
  EXPECT_EQ(RegistrableDomain("com.gzdz.org"), "gzdz.org");
  EXPECT_EQ(RegistrableDomain("gzdz.co.uk"), "");
  EXPECT_EQ(RegistrableDomain("localhost"), "");
  // A port glued to the last label hides the suffix.
  EXPECT_EQ(RegistrableDomain("www.gzdz.com:8080"), "");
  EXPECT_EQ(RegistrableDomain(""), "");
}

class NameFromPageTest : public ::testing::Test {
 protected:
  std::string Name(const std::string& pageUtf8) {
    return Cp936ToUtf8(beian.NameFromPage(TPageText(Cp936(pageUtf8))));
  }
  TFilingLookup beian;
};

TEST_F(NameFromPageTest, KindCellOfElevenBytesOrMoreWins) {
  EXPECT_EQ(Name(RegistryPage("广州某某电子有限公司", "某某网")), "广州某某电子有限公司");
  // Exactly 11 bytes.
  EXPECT_EQ(Name(RegistryPage("ABCDEFGHIJK", "某某电子网站名称")), "ABCDEFGHIJK");
}

TEST_F(NameFromPageTest, ShortKindFallsBackToALongEnoughTextCell) {
  // Five Chinese characters are 10 bytes: not used.
  EXPECT_EQ(Name(RegistryPage("某某公司个", "广州某某网络科技")), "广州某某网络科技");
  // A text cell of 10 bytes is not used either.
  EXPECT_EQ(Name(RegistryPage("某某公司个", "某某网站名")), "");
  EXPECT_EQ(Name(RegistryPage("", "")), "");
}

TEST_F(NameFromPageTest, BreakWordCellBeforeTheKindCellEndsTheWalk) {
  EXPECT_EQ(Name(RegistryPage("广州某某电子有限公司", "某某网", true)), "");
  EXPECT_EQ(Name(RegistryPage("广州某某电子有限公司", "广州某某电子网站", true)),
            "广州某某电子网站");
}

class BeianLookupTest : public HarvestTest {
 protected:
  std::string Lookup(const std::string& url) { return Cp936ToUtf8(beian.LookupIcp(url)); }
  TFilingLookup beian;
};

TEST_F(BeianLookupTest, AsksTheRegistryForTheDomainAsASpider) {
  world.Route(RegistryHost(), RegistryPath("gzdz.com"),
              TWorldResponse::Page(RegistryPage("广州某某电子有限公司", "")));
  world.Route(RegistryHost(), RegistryPath("shop-b.com.cn"),
              TWorldResponse::Page(RegistryPage("上海某某网络有限公司", "")));

  EXPECT_EQ(Lookup("http://WWW.GZDZ.com/about/index.html"), "广州某某电子有限公司");
  // A secure site's host is read after "https://" like after "http://".
  EXPECT_EQ(Lookup("https://shop.shop-b.com.cn/x"), "上海某某网络有限公司");

  auto log = world.Requests({RegistryHost(), ""});
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].Target, "/search/gzdz.com");
  EXPECT_EQ(log[0].Referer, "http://" + RegistryHost() + "/");
  EXPECT_EQ(log[0].UserAgent, EngineSettings()->SpiderUserAgent);
  EXPECT_NE(log[0].UserAgent, kBrowserUserAgent);
  EXPECT_EQ(log[1].Target, "/search/shop-b.com.cn");
}

TEST_F(BeianLookupTest, NoDomainMakesNoRequest) {
  world.RoutePrefix(RegistryHost(), "/search",
                    TWorldResponse::Page(RegistryPage("错误的单位名称有限公司", "")));
  EXPECT_EQ(Lookup(""), "");
  EXPECT_EQ(Lookup("http://"), "");
  EXPECT_EQ(Lookup("http://localhost/contact"), "");
  EXPECT_EQ(Lookup("http://www.gzdz.com:8080/"), "");
  EXPECT_EQ(Lookup("https://www.example.co.uk/"), "");
  EXPECT_EQ(world.Count({RegistryHost(), ""}), 0);
}

TEST_F(BeianLookupTest, FailuresGiveNoName) {
  world.Route(RegistryHost(), RegistryPath("down.com"),
              TWorldResponse::Page(RegistryPage("广州某某电子有限公司", ""), 500));
  world.Route(RegistryHost(), RegistryPath("gbk.com"),
              TWorldResponse::Page(Gbk(RegistryPage("广州某某电子有限公司", ""))));
  EXPECT_EQ(Lookup("http://www.down.com/"), "");
  EXPECT_EQ(Lookup("http://www.gbk.com/"), "");
  EXPECT_EQ(Lookup("http://www.unknown.com/"), "");  // 404 page without cells
}

TEST_F(BeianLookupTest, SilentRegistryIsBounded) {
  TWorldResponse never;
  never.NeverAnswer = true;
  world.Route(RegistryHost(), RegistryPath("silent.com"), never);
  auto start = SteadyMs();
  EXPECT_EQ(Lookup("http://www.silent.com/"), "");
  EXPECT_LT(SteadyMs() - start, 16500);
}

}  // namespace
}  // namespace zoqa::test
