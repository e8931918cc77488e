#include "support/webpages.h"

#include "harvest/base/enginesettings.h"
#include "harvest/sites/filinglookup.h"
#include "support/loopbackworld.h"
#include "util/codepage.h"

namespace zoqa::test {
namespace {

// Page furniture outside the result column, so pages have a realistic size.
std::string Filler(std::size_t bytes) {
  std::string text = "<!--";
  while (text.size() + 3 < bytes) text += "filler text of a result page ";
  text.resize(bytes > 3 ? bytes - 3 : 0);
  return text + "-->";
}

std::string Head(const std::string& title) {
  return "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + title +
         "</title>\n</head>\n";
}

}  // namespace

std::string BaiduResultPage(const std::vector<TBaiduCertifiedBlock>& certified,
                            const std::vector<TBaiduResultBlock>& results) {
  std::string page = Head("百度搜索") + "<body>\n" + Filler(2000) +
                     "\n<div id=\"wrapper\"><div id=\"content_left\">\n";
  int id = 3001;
  for (const auto& block : certified) {
    page += "<div id=\"" + std::to_string(id++) +
            "\" class=\"ec_tuiguang\" data-click=\"{'rsv_cd':'1'}\">\n";
    page += "<div class=\"ec-title\" data-renzheng='{\"title\":\"" + block.Title +
            "\",\"level\":\"3\"}'>\n";
    if (block.PaidAnchor) {
      page += "<h3><a class=\"ec-link\" target=\"_blank\" href=\"" + block.Link + "\">" +
              block.Title + "</a></h3>\n";
    } else {
      page += "<h3><span>" + block.Title + "</span></h3>\n";
    }
    page +=
        "<div class=\"ec-abs\">专业生产，品质保证</div>\n<span class=\"ec-tag\">推广</span>\n"
        "</div>\n</div>\n";
  }
  id = 1;
  for (const auto& block : results) {
    std::string n = std::to_string(id++);
    page += "<div class=\"result c-container\" id=\"" + n +
            "\" srcid=\"1599\" tpl=\"se_com_default\" data-click=\"{'rsv_bdr':'0'}\">\n";
    page += "<h3 class=\"t\"><a target=\"_blank\" href=\"" + block.Url + "\">" + block.Title +
            "</a></h3>\n<div class=\"c-abstract\">公司简介与产品介绍</div>\n";
    if (block.HintLabel) {
      page += "<span class=\"c-icon\" hint-data='{\"type\":\"v\"";
      if (!block.Label.empty()) page += ",\"label\":\"" + block.Label + "\"";
      page += "}'></span>\n";
    }
    std::string tools;
    if (block.SingleQuotes) {
      tools = "\"{title:'" + block.Title + "'";
      if (!block.Url.empty()) tools += ",url:'" + block.Url + "'";
      tools += "}\"";
    } else {
      tools = "'{\"title\":\"" + block.Title + "\"";
      if (!block.Url.empty()) tools += ",\"url\":\"" + block.Url + "\"";
      tools += "}'";
    }
    page += "<div class=\"f13\"><div class=\"c-tools\" id=\"tools_" + n + "\" data-tools=" + tools +
            "><a class=\"c-tip-icon\"><i class=\"c-icon\"></i></a></div>\n";
    page += "<a data-click=\"{'rsv_snapshot':'1'}\" href=\"http://cache.baiducontent.com/c?m=" + n +
            "\" target=\"_blank\" class=\"m\">百度快照</a></div>\n</div>\n";
  }
  page +=
      "</div>\n<div id=\"page\"><strong><span class=\"pc\">1</span></strong>"
      "<a href=\"/s?wd=x&pn=10\"><span class=\"pc\">2</span></a></div>\n</div>\n"
      "</body>\n</html>\n";
  return page;
}

namespace {

std::string TodayPage(const std::string& body) {
  return Head("搜索结果") + "<body>\n" + Filler(1600) + "\n" + body + "</body>\n</html>\n";
}

std::string Attribute(const char* name, const std::string& value) {
  return value.empty() ? "" : std::string(" ") + name + "=\"" + value + "\"";
}

}  // namespace

std::string BaiduTodayPage(const std::vector<TTodayResult>& results) {
  std::string page = "<div id=\"content_left\">\n";
  int id = 1;
  for (const auto& r : results) {
    std::string n = std::to_string(id++);
    page += "<div class=\"result c-container xpath-log new-pmd\" id=\"" + n +
            "\" srcid=\"1599\" tpl=\"se_com_default\"" + Attribute("mu", r.Target) +
            (r.Ad ? " data-tuiguang=\"1\"" : "") + ">\n<div class=\"c-title\"><h3 class=\"t\">" +
            "<a target=\"_blank\" href=\"" + r.Href + "\">" + r.Title +
            "</a></h3></div>\n<div class=\"c-abstract\">公司简介 <em>电子</em> 产品</div>\n" +
            (r.Ad ? "<span class=\"c-color-gray\">广告</span>\n" : "") + "</div>\n";
    if (id == 2) {
      // A card of the engine's own encyclopedia, and one without a link.
      page +=
          "<div class=\"result-op c-container\" srcid=\"51\" mu=\"https://baike.baidu.com/item/x\">"
          "<h3><a href=\"https://baike.baidu.com/item/x\">电子_百度百科</a></h3></div>\n"
          "<div class=\"result-op c-container\" srcid=\"52\"><h3>相关图片</h3></div>\n";
    }
  }
  return TodayPage(page +
                   "</div>\n<div id=\"rs\"><a href=\"/s?wd=%E7%94%B5%E5%AD%90%E5%8E%82\">电子厂</a>"
                   "</div>\n<div id=\"page\"><a href=\"/s?wd=x&amp;pn=10\">2</a></div>\n");
}

std::string So360TodayPage(const std::vector<TTodayResult>& results, const std::string& paidLink) {
  std::string page = "<div id=\"main\">\n";
  if (!paidLink.empty()) {
    page += "<ul id=\"e_idea_pp\"><li><a href=\"" + paidLink + "\">推广公司</a></li></ul>\n";
  }
  page += "<ul class=\"result\">\n";
  int id = 1;
  for (const auto& r : results) {
    std::string n = std::to_string(id++);
    page += "<li class=\"res-list\" data-lazyload=\"1\"><h3 class=\"res-title\"><a href=\"" +
            r.Href + "\"" + Attribute("data-mdurl", r.Target) + " rel=\"noopener\">" + r.Title +
            "</a></h3>\n<p class=\"res-desc\">公司简介</p><p class=\"g-linkinfo\"><cite>site</cite>"
            "<a class=\"m\" href=\"http://c.360webcache.com/c?m=" +
            n + "\">快照</a></p></li>\n";
  }
  return TodayPage(page +
                   "</ul>\n<div id=\"rs\"><a href=\"https://www.so.com/s?q=related\">相关搜索</a>"
                   "<a href=\"http://www.so.com/help/help.html\">帮助</a></div>\n</div>\n");
}

std::string SogouTodayPage(const std::vector<TTodayResult>& results, const std::string& paidLink) {
  std::string page = "<div class=\"results\">\n";
  if (!paidLink.empty()) {
    page +=
        "<div class=\"rb\"><h3 class=\"pt\"><a href=\"" + paidLink + "\">推广公司</a></h3></div>\n";
  }
  int id = 1;
  for (const auto& r : results) {
    std::string n = std::to_string(id++);
    page += "<div class=\"vrwrap\"><h3 class=\"vr-title\"><a id=\"sogou_vr_" + n + "\" href=\"" +
            r.Href + "\">" + r.Title + "</a></h3>\n<div class=\"r-sech\"" +
            Attribute("data-url", r.Target) +
            ">公司简介</div>\n<a href=\"http://snapshot.sogoucdn.com/websnapshot?url=" + n +
            "\">快照</a></div>\n";
  }
  page +=
      "<div class=\"vrwrap hint\"><h3 class=\"vr-title\"><a href=\"/web?query=related\">"
      "您是不是要找</a></h3></div>\n";
  return TodayPage(page +
                   "</div>\n<div id=\"pagebar_container\"><a href=\"/web?query=x&amp;"
                   "page=2\">下一页</a></div>\n");
}

std::string Anchor(const std::string& href, const std::string& text, bool singleQuotes) {
  const char* q = singleQuotes ? "'" : "\"";
  return std::string("<a target=\"_blank\" href=") + q + href + q + ">" + text + "</a>";
}

std::string LinkResultPage(const std::vector<std::string>& anchors) {
  std::string page = Head("搜索结果") + "<body>\n" + Filler(1200) + "\n<div id=\"main\"><ul>\n";
  for (const auto& a : anchors) page += "<li class=\"res-list\"><h3>" + a + "</h3></li>\n";
  return page + "</ul></div>\n</body>\n</html>\n";
}

std::string PageOfSize(std::size_t bytes) {
  std::string page = "<html><body>";
  const std::string tail = "</body></html>";
  while (page.size() + tail.size() < bytes) page += 'x';
  page += tail;
  page.resize(bytes);
  return page;
}

std::string CompanyHomePage(const std::string& title, const std::string& contactHref,
                            const std::string& extraBody) {
  std::string page = Head(title) +
                     "<body>\n<div class=\"nav\"><a href=\"/\">首页</a>"
                     "<a href=\"/products.html\">产品中心</a>";
  if (!contactHref.empty()) page += "<a href=\"" + contactHref + "\">联系我们</a>";
  return page + "</div>\n<div class=\"main\">欢迎光临本公司网站\n" + extraBody +
         "</div>\n</body>\n</html>\n";
}

std::string ContactPage(const std::string& title, const std::string& landline,
                        const std::string& mobile, const std::string& address) {
  std::string page = Head(title) + "<body>\n<div class=\"contact\">\n";
  if (!landline.empty()) page += "<p>电话：" + landline + "</p>\n";
  if (!mobile.empty()) page += "<p>手机：" + mobile + "</p>\n";
  if (!address.empty()) page += "<p>地址：" + address + "</p>\n";
  return page + "<p>邮箱：sales@example.com</p>\n</div>\n</body>\n</html>\n";
}

std::string RegistryPage(const std::string& kind, const std::string& text, bool breakWordFirst) {
  std::string kindRow = kind.empty()
                            ? ""
                            : "<tr><td class=\"th\">主办单位名称</td><td><div id=\"kind\"> " +
                                  kind + " </div></td></tr>\n";
  std::string textRow = text.empty() ? ""
                                     : "<tr><td class=\"th\">网站名称</td><td class=\"td\" "
                                       "style=\"word-wrap:break-word;\"> " +
                                           text + " </td></tr>\n";
  std::string page = Head("ICP备案查询") + "<body>\n<table class=\"result\">\n<tr><td></td></tr>\n";
  page += breakWordFirst ? textRow + kindRow : kindRow + textRow;
  return page + "</table>\n</body>\n</html>\n";
}

std::string Gbk(const std::string& utf8) {
  return Utf8ToCp936(utf8);
}

void AddCompanySite(TLoopbackWorld& world, const TCompanySite& site) {
  auto encode = [&](const std::string& page) { return site.GbkPages ? Gbk(page) : page; };
  std::string type = site.GbkPages ? "text/html; charset=gbk" : "text/html; charset=utf-8";
  std::string extra;
  if (!site.ContactLink) {
    if (!site.Landline.empty()) extra += "<p>电话：" + site.Landline + "</p>\n";
    if (!site.Mobile.empty()) extra += "<p>手机：" + site.Mobile + "</p>\n";
  }
  TWorldResponse home = TWorldResponse::Page(
      encode(CompanyHomePage(site.Title, site.ContactLink ? "/contact.html" : "", extra)));
  home.ContentType = type;
  world.Route(site.Host, "/", home);
  if (site.ContactLink) {
    TWorldResponse contact =
        TWorldResponse::Page(encode(ContactPage(site.Title, site.Landline, site.Mobile)));
    contact.ContentType = type;
    world.Route(site.Host, "/contact.html", contact);
  }
  if (!site.RegistryName.empty()) {
    world.Route(RegistryHost(), RegistryPath(RegistrableDomain(site.Host)),
                TWorldResponse::Page(RegistryPage(site.RegistryName, "")));
  }
}

std::string RegistryHost() {
  return EngineSettings()->BeianHost;
}

std::string RegistryPath(const std::string& domain) {
  return "/search/" + domain;
}

}  // namespace zoqa::test
