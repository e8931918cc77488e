// Contact extraction end to end: decoding the fetched bytes, the contact-link search and
// the extraction, on a realistic contact page and on a large one.
#include <benchmark/benchmark.h>

#include <string>

#include "harvest/sites/contactextract.h"
#include "util/codepage.h"

namespace {

// A company site's contact page: navigation, a product catalogue, news, the contact block
// near the end, and a footer — about `size` bytes of UTF-8.
std::string MakeContactPage(std::size_t size) {
  std::string page =
      "<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
      "<title>联系我们_广州市某某电子科技有限公司</title>"
      "<link rel=\"stylesheet\" href=\"/css/style.css\"></head><body>\n"
      "<div class=\"nav\"><a href=\"/\">网站首页</a><a href=\"/about.html\">关于我们</a>"
      "<a href=\"/products/\">产品中心</a><a href=\"/Contact.html\">联系我们</a></div>\n";
  for (int i = 0; page.size() < size - 2000; ++i) {
    std::string n = std::to_string(i);
    page += "<div class=\"item\"><a href=\"/products/" + n + ".html\"><img src=\"/img/p" + n +
            ".jpg\" alt=\"贴片电容 型号 CC0603-" + n +
            "\"></a>\n<p>规格：0603 容量：100nF 耐压：50V 库存 " + n +
            " 件，价格面议。 广泛用于通信设备、工业控制与消费电子。</p>"
            "<span class=\"date\">2026-11-" +
            std::to_string(i % 28 + 1) + "</span></div>\n";
  }
  page +=
      "<div class=\"contact\"><p>联系人：王经理</p><p>电话：020-87654321</p>"
      "<p>手机：13812345678 18922223333</p><p>邮箱：sales@example-gz.com.cn</p>"
      "<p><a href=\"tencent://message/?uin=123456789&Site=x\">QQ</a></p>\n"
      "<p>地址：<span>广州市天河区科韵路16号信息港A栋</span></p></div>\n"
      "<div class=\"footer\">粤ICP备12345678号</div></body></html>\n";
  return page;
}

void RunExtraction(benchmark::State& state, std::size_t size) {
  const std::string raw = MakeContactPage(size);
  zoqa::TRegExp re;
  for (auto _ : state) {
    zoqa::TPageText page = zoqa::TPageText::FromUtf8(raw);
    std::string link =
        zoqa::FindContactLink(re, page, "www.example.cn", zoqa::TEngineVariant::Baidu);
    zoqa::TCompany record;
    bool worth = zoqa::ExtractContacts(re, record, page, zoqa::TEngineVariant::Baidu);
    benchmark::DoNotOptimize(link);
    benchmark::DoNotOptimize(worth);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * raw.size()));
}

void BM_ExtractContactPage200K(benchmark::State& state) {
  RunExtraction(state, 200 * 1024);
}
void BM_ExtractPage2M(benchmark::State& state) {
  RunExtraction(state, 2 * 1024 * 1024);
}

}  // namespace

BENCHMARK(BM_ExtractContactPage200K)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExtractPage2M)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
