// Host names and domains of the search engines and the filing registry, read from the
// [engine] section of the settings file; the defaults live here.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "util/codepage.h"

namespace zoqa {

// The default browser identity of every request but the filing lookup's.
inline constexpr char kBrowserUserAgent[] =
    "Mozilla/5.0 (Windows NT 6.1; rv:2.0) Gecko/20100101 Firefox/4.0";

struct TEngineSettings {
  std::string BaiduSearchHost = "www.baidu.com";
  std::string BaiduDomain = "baidu.com";
  std::string So360SearchHost = "www.so.com";
  std::string So360ClickHost = "e.so.com";
  std::vector<std::string> So360Domains = {"so.com", "360.cn"};
  std::string SogouSearchHost = "www.sogou.com";
  std::string SogouDomain = "sogou.com";
  // Domains of the three engines and their sister sites; a URL that mentions any of them
  // belongs to an engine, not to a company.
  std::vector<std::string> EngineDomains = {"baidu.com", "so.com",  "sogou.com",
                                            "360.cn",    "360.com", "soso.com"};
  // Well-known search, portal and registry hosts (and the hosts below them) that result
  // pages link to from their navigation; the outbound-link pass skips them on a page whose
  // result blocks the structural reader does not recognise. Any number, comma-separated.
  std::vector<std::string> PortalDomains = {
      "bing.com",  "google.com", "google.cn",   "yahoo.com",   "youdao.com", "hao123.com",
      "2345.com",  "360kan.com", "qq.com",      "sina.com.cn", "sohu.com",   "163.com",
      "ifeng.com", "weibo.com",  "miit.gov.cn", "beian.gov.cn"};
  std::string BeianHost = "beian.miit.gov.cn";
  // The browser identity of every request but the filing lookup's; a current browser's
  // string helps when an engine answers with verification pages.
  std::string BrowserUserAgent = kBrowserUserAgent;
  // The readers of result pages: the classic patterns, and (true) after them the structural
  // reader. Written "classic,page" or "classic" in the settings file.
  bool PageReader = true;
  // The filing lookup's identity: an MSIE 10 compatible string with a search spider's token
  // and information URL, unlike the browser identity of the other requests.
  std::string SpiderUserAgent =
      "Mozilla/5.0 (compatible; MSIE 10.0; Windows NT 6.1; Trident/6.0; Baiduspider/2.0; "
      "+http://www.baidu.com/search/spider.html)";
  // Texts that mark an engine's human-verification answer when found in the final URL of a
  // search request, or in its page when no reader finds a result there (code page 936), and
  // the first back-off after one.
  std::vector<std::string> BaiduVerifyMarkers = {"wappass.baidu.com/static/captcha",
                                                 Cp936("百度安全验证")};
  std::vector<std::string> So360VerifyMarkers = {"qcaptcha.so.com", Cp936("为什么会出现验证码")};
  std::vector<std::string> SogouVerifyMarkers = {"/antispider/", Cp936("请输入验证码")};
  int VerifyBackoffSeconds = 60;
  // The [net] Proxy ("host:port") every HTTP client goes through; empty: the http_proxy
  // environment variable, if any.
  std::string Proxy;
  // The proxies pool: [net] Proxies, "scheme://[user:password@]host:port" entries, and the
  // file [net] ProxyFile names (one a line; a relative path is beside the settings file).
  // With any of them, every harvester and its crawlers go through one proxy of the pool.
  std::vector<std::string> Proxies;
  std::string ProxyFile;
  // [net] MaxCrawlers: company-site crawlers running at once in the process; a harvester
  // waits for a free one before it starts the next.
  int MaxCrawlers = 64;
  // [net] Egress: the name of the address this machine's requests leave from, under which
  // workers of a team store share the engines' pace; machines behind one office address
  // keep the default. Each proxy of the pool is an egress of its own, named host:port.
  std::string Egress = "default";
};

// Reads the [engine] section of the ini file at `path` over the defaults; keys that are
// missing or empty keep their default, and list values with the wrong count too.
TEngineSettings LoadEngineSettings(const std::string& path);

// The settings every thread reads; replaced as a whole, so readers never see half an update.
std::shared_ptr<const TEngineSettings> EngineSettings();
void SetEngineSettings(const TEngineSettings& settings);

}  // namespace zoqa
