// The harvesters' work between requests: analysing one saved result page of realistic size
// per engine (decode, cut, block and link passes), and a crawler's reading of a company's
// home page and contact page (decode, contact-link search, extraction).
#include <benchmark/benchmark.h>

#include <string>

#include "harvest/results/baiduresults.h"
#include "harvest/results/linkresults.h"
#include "harvest/results/structuralreader.h"
#include "harvest/sites/contactextract.h"
#include "harvest/text/bodytext.h"

namespace {

// Filler that real result pages carry between results: scripts, styles, related searches.
std::string Filler(int i) {
  std::string n = std::to_string(i);
  return "<script>window.__log&&__log.push({'id':" + n +
         ",'t':'相关搜索 广州 电子公司 排名'});</script>\n<div class=\"c-span\"><span "
         "class=\"c-gap\">"
         "广州电子有限公司 - 产品展示 - "
         "深圳市电子元器件批发市场，提供电容、电阻、二极管等。</span></div>\n";
}

std::string BaiduPage() {
  std::string page = "<html><head><title>广州 电子公司_百度搜索</title></head><body>\n";
  for (int i = 0; i < 600; ++i) page += Filler(i);
  page += "<div id=\"content_left\">\n";
  for (int i = 0; i < 3; ++i) {
    std::string n = std::to_string(i);
    page += "<div id=\"" + n + "\" class=\"ec_wise\" data-click=\"{'rsv':" + n +
            "}\" data-renzheng={\"title\":\"广州某某电子科技有限公司" + n +
            "\",\"v\":1}>\n<a class=\"ec-title\" href=\"http://www.baidu.com/baidu.php?url=a" + n +
            "K0000&amp;ck=" + n + "\">广州某某电子科技有限公司 官网</a>" + Filler(i) +
            "<span class=\"ec-tag\">推广</span></div>\n";
  }
  for (int i = 0; i < 10; ++i) {
    std::string n = std::to_string(i);
    page += "<div class=\"result c-container\" id=\"" + n +
            "\" srcid=\"1599\" tpl=\"se_com\""
            " data-tools='{\"title\":\"深圳市某某电子有限公司" +
            n + "\",\"url\":\"http://www.baidu.com/link?url=Zx" + n + "Yq\"}'>\n<h3>" + Filler(i) +
            "</h3><div class=\"c-abstract\">" + Filler(i + 1) +
            "</div><a class=\"m\" href=\"http://cache.baiducontent.com/c?m=" + n +
            "\">百度快照</a></div>\n";
  }
  page += "</div><div id=\"page\"><a href=\"/s?wd=x&pn=10\">2</a></div>\n";
  for (int i = 0; i < 400; ++i) page += Filler(i);
  return page + "</body></html>\n";
}

// A Baidu result page in today's markup, about 300 KB: result blocks with their target in
// `mu` and a redirector on the title, no data attributes and no snapshot links.
std::string BaiduTodayPage() {
  std::string page = "<html><head><title>广州 电子公司_百度搜索</title></head><body>\n";
  for (int i = 0; i < 600; ++i) page += Filler(i);
  page += "<div id=\"content_left\">\n";
  for (int i = 0; i < 10; ++i) {
    std::string n = std::to_string(i);
    page += "<div class=\"result c-container xpath-log new-pmd\" id=\"" + n +
            "\" srcid=\"1599\" mu=\"https://www.company" + n +
            ".com/\"><div class=\"c-title\"><h3 class=\"t\"><a href=\"http://www.baidu.com/"
            "link?url=Zx" +
            n + "Yq\">深圳市某某电子有限公司" + n + "</a></h3></div><div class=\"c-abstract\">" +
            Filler(i) + "</div></div>\n";
  }
  page += "</div><div id=\"page\"><a href=\"/s?wd=x&pn=10\">2</a></div>\n";
  for (int i = 0; i < 400; ++i) page += Filler(i);
  return page + "</body></html>\n";
}

std::string LinkPage(const std::string& paidHost, const std::string& paidPath,
                     const std::string& ownHost) {
  std::string page = "<html><head><title>广州 电子公司 - 搜索</title></head><body>\n";
  for (int i = 0; i < 600; ++i) page += Filler(i);
  for (int i = 0; i < 4; ++i) {
    std::string n = std::to_string(i);
    page += "<li class=\"res-list\"><h3><a href=\"http://" + paidHost + paidPath + "a=" + n +
            "&u=x\" target=\"_blank\">广州某某电子有限公司" + n + "</a></h3>" + Filler(i) +
            "</li>\n";
  }
  for (int i = 0; i < 10; ++i) {
    std::string n = std::to_string(i);
    page += "<li class=\"res-list\"><h3><a href=\"http://www.company" + n +
            ".com/\" target=\"_blank\">深圳市某某电子有限公司" + n + "</a></h3>" + Filler(i) +
            "<a href=\"http://" + ownHost + "/link?m=" + n + "\">快照</a></li>\n";
  }
  for (int i = 0; i < 400; ++i) page += Filler(i);
  return page + "</body></html>\n";
}

std::string HomePage() {
  std::string page =
      "<html><head><title>广州某某电子科技有限公司-电容电阻批发</title></head><body>\n"
      "<div class=\"nav\"><a href=\"/\">首页</a><a href=\"/about.html\">关于我们</a>"
      "<a href=\"/contact.html\">联系我们</a></div>\n";
  for (int i = 0; i < 120; ++i) page += Filler(i);
  return page + "</body></html>\n";
}

std::string ContactPage() {
  std::string page = "<html><head><title>联系我们_广州某某电子科技有限公司</title></head><body>\n";
  for (int i = 0; i < 80; ++i) page += Filler(i);
  return page +
         "<p>电话：020-87654321</p><p>手机：13812345678</p><p>邮箱：sales@example.com</p>"
         "<p>地址：<span>广州市天河区科韵路16号</span></p></body></html>\n";
}

void BM_BaiduResultPage(benchmark::State& state) {
  const std::string body = BaiduPage();
  zoqa::TRegExp re;
  for (auto _ : state) {
    zoqa::TPageText page = zoqa::DecodeBody(body, true);
    zoqa::TPageText column = zoqa::TBaiduResults::ResultColumn(page);
    auto certified = zoqa::TBaiduResults::CertifiedResults(re, column);
    auto ordinary = zoqa::TBaiduResults::OrdinaryResults(re, column);
    if (certified.size() != 3 || ordinary.size() != 10) state.SkipWithError("wrong blocks");
    benchmark::DoNotOptimize(ordinary);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_BaiduResultPage)->Unit(benchmark::kMillisecond);

// The structural reader alone on an already decoded page, beside the classic passes above.
void BM_BaiduPageReader(benchmark::State& state) {
  const std::string body = BaiduTodayPage();
  zoqa::TPageText page = zoqa::DecodeBody(body, true);
  page.Utf8();
  for (auto _ : state) {
    auto results = zoqa::ReadPageStructure(zoqa::egBaidu, page, {}).Added;
    if (results.size() != 10) state.SkipWithError("wrong results");
    benchmark::DoNotOptimize(results);
  }
  state.counters["page_kb"] = static_cast<double>(body.size()) / 1024;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_BaiduPageReader)->Unit(benchmark::kMillisecond);

void RunLinkPage(benchmark::State& state, zoqa::TEngine engine, const std::string& body) {
  zoqa::TRegExp re;
  for (auto _ : state) {
    zoqa::TPageText page = zoqa::DecodeBody(body, true);
    auto links = zoqa::TLinkResults::PageLinks(re, engine, page);
    if (links.size() != 14) state.SkipWithError("wrong links");
    benchmark::DoNotOptimize(links);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
}

void BM_So360ResultPage(benchmark::State& state) {
  RunLinkPage(state, zoqa::eg360, LinkPage("e.so.com", "/search/eclk?", "www.so.com"));
}
BENCHMARK(BM_So360ResultPage)->Unit(benchmark::kMillisecond);

void BM_SogouResultPage(benchmark::State& state) {
  RunLinkPage(state, zoqa::egSogou, LinkPage("www.sogou.com", "/bill_cpc?", "www.sogou.com"));
}
BENCHMARK(BM_SogouResultPage)->Unit(benchmark::kMillisecond);

void BM_CrawlerHomeAndContactPage(benchmark::State& state) {
  const std::string home = HomePage();
  const std::string contact = ContactPage();
  zoqa::TRegExp re;
  for (auto _ : state) {
    zoqa::TPageText homePage = zoqa::DecodeSitePage(home, true);
    std::string link =
        zoqa::FindContactLink(re, homePage, "www.example.com", zoqa::TEngineVariant::Baidu);
    zoqa::TPageText contactPage = zoqa::DecodeSitePage(contact, false);
    zoqa::TCompany record;
    record.SetName("x");
    bool worth = zoqa::ExtractContacts(re, record, contactPage, zoqa::TEngineVariant::Baidu);
    if (link.empty() || !worth) state.SkipWithError("nothing found");
    benchmark::DoNotOptimize(record);
  }
  state.SetBytesProcessed(
      static_cast<std::int64_t>(state.iterations() * (home.size() + contact.size())));
}
BENCHMARK(BM_CrawlerHomeAndContactPage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
