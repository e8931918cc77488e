// Pages of the loopback world: search result pages of the three engines, company sites and
// the filing registry. Builders take and return UTF-8 text unless they say otherwise.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace zoqa::test {

class TLoopbackWorld;

// A promoted Baidu block marked certified: the title in data-renzheng and the paid-click
// anchor to `Link` (a www.baidu.com/baidu.php?... URL); without the anchor it has no link.
struct TBaiduCertifiedBlock {
  TBaiduCertifiedBlock(std::string title, std::string link, bool paidAnchor = true)
      : Title(std::move(title)), Link(std::move(link)), PaidAnchor(paidAnchor) {}
  std::string Title;
  std::string Link;
  bool PaidAnchor = true;
};

// An ordinary Baidu result block with its data-tools title and url ("" leaves the url out);
// `HintLabel` adds a hint-data certification label (`Label` "" leaves the label out).
struct TBaiduResultBlock {
  TBaiduResultBlock(std::string title, std::string url, bool hintLabel = false,
                    std::string label = "", bool singleQuotes = false)
      : Title(std::move(title)),
        Url(std::move(url)),
        HintLabel(hintLabel),
        Label(std::move(label)),
        SingleQuotes(singleQuotes) {}
  std::string Title;
  std::string Url;
  bool HintLabel = false;
  std::string Label;
  bool SingleQuotes = false;  // data-tools written as {title:'..',url:'..'}
};

// A Baidu result page: the result column between id="content_left" and id="page", certified
// blocks first, then the ordinary ones, padded well over the 1500-byte threshold.
std::string BaiduResultPage(const std::vector<TBaiduCertifiedBlock>& certified,
                            const std::vector<TBaiduResultBlock>& results);

// A result in today's markup: its title, the href of its title link (an engine redirector,
// a relative one on Sogou, or the target itself), the target the block carries as data
// ("" none: Baidu's mu, 360's data-mdurl, Sogou's data-url) and, on Baidu, an ad label.
struct TTodayResult {
  std::string Title;
  std::string Href;
  std::string Target;
  bool Ad = false;
};

// Result pages of the three engines in today's markup, with what a reader must skip among
// the results: cache or snapshot links, the engine's navigation, cards of its own sites and
// hint cards. 360 and Sogou pages also carry a paid-click link each, read by the classic
// pass, to `paidTarget` ("" none).
std::string BaiduTodayPage(const std::vector<TTodayResult>& results);
std::string So360TodayPage(const std::vector<TTodayResult>& results,
                           const std::string& paidLink = "");
std::string SogouTodayPage(const std::vector<TTodayResult>& results,
                           const std::string& paidLink = "");

// An anchor with a double-quoted href (or single-quoted when `singleQuotes`).
std::string Anchor(const std::string& href, const std::string& text, bool singleQuotes = false);

// A 360 or Sogou result page holding `anchors` among some page furniture, padded like a
// real page.
std::string LinkResultPage(const std::vector<std::string>& anchors);

// Exactly `bytes` bytes of ASCII HTML.
std::string PageOfSize(std::size_t bytes);

// A company's home page titled `title`, with a "联系我们" anchor to `contactHref` unless it is
// empty, and `extraBody` in its body.
std::string CompanyHomePage(const std::string& title, const std::string& contactHref,
                            const std::string& extraBody = "");

// A contact page with a landline, a mobile number and an address line (each left out when
// empty).
std::string ContactPage(const std::string& title, const std::string& landline,
                        const std::string& mobile, const std::string& address = "");

// The filing registry's search page: a cell with <div id="kind">kind</div> and a break-word
// cell with `text`; `breakWordFirst` puts the break-word cell first. Empty values leave their
// cell out.
std::string RegistryPage(const std::string& kind, const std::string& text,
                         bool breakWordFirst = false);

// The same text in code page 936 bytes.
std::string Gbk(const std::string& utf8);

// A company site served by the world.
struct TCompanySite {
  TCompanySite(std::string host, std::string title, std::string landline, std::string mobile,
               bool contactLink = true, bool gbkPages = false, std::string registryName = "")
      : Host(std::move(host)),
        Title(std::move(title)),
        Landline(std::move(landline)),
        Mobile(std::move(mobile)),
        ContactLink(contactLink),
        GbkPages(gbkPages),
        RegistryName(std::move(registryName)) {}
  std::string Host;      // "www.example-co.com"
  std::string Title;     // page title of both pages
  std::string Landline;  // on the contact page, or on the home page without a contact link
  std::string Mobile;    // likewise
  bool ContactLink = true;
  bool GbkPages = false;     // pages in code page 936 instead of UTF-8
  std::string RegistryName;  // when set, the registry knows the site's domain by this name
};

// Registers the site's home page ("/"), contact page ("/contact.html") and, when it has a
// registry name, the registry's page for its domain. The site's URL: "http://" + Host + "/".
void AddCompanySite(TLoopbackWorld& world, const TCompanySite& site);

// The registry host and the path asked for `domain`.
std::string RegistryHost();
std::string RegistryPath(const std::string& domain);

}  // namespace zoqa::test
