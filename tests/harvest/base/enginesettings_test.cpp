// The [engine] settings that users change when an engine changes: the browser identity and
// the readers of result pages.
#include "harvest/base/enginesettings.h"

#include <gtest/gtest.h>

#include "harvest/net/httpclient.h"
#include "support/testsupport.h"

namespace zoqa::test {
namespace {

TEST(EngineSettingsFile, BrowserIdentityPageReadersAndPortals) {
  TempDir dir;
  auto load = [&](const std::string& lines) {
    WriteFileBytes(dir.File("zqclient.cfg"), "[engine]\n" + lines);
    return LoadEngineSettings(dir.File("zqclient.cfg"));
  };
  TEngineSettings defaults;
  EXPECT_TRUE(defaults.PageReader);
  EXPECT_FALSE(load("PageReaders=classic\n").PageReader);
  EXPECT_TRUE(load("PageReaders=\"classic, page\"\n").PageReader);
  EXPECT_TRUE(load("PageReaders=pages\n").PageReader);  // unknown: the default
  // Quoted, as its ";" would start a comment; unquoted commas split it into parts.
  const std::string chrome =
      "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/126.0";
  TEngineSettings browser = load("BrowserUserAgent=\"" + chrome + "\"\n");
  EXPECT_EQ(browser.BrowserUserAgent, chrome);
  EXPECT_EQ(load("BrowserUserAgent=Mozilla/5.0 (KHTML, like Gecko) Chrome/126\n").BrowserUserAgent,
            "Mozilla/5.0 (KHTML, like Gecko) Chrome/126");
  EXPECT_EQ(load("").BrowserUserAgent, defaults.BrowserUserAgent);
  // Portal hosts: any number, lower-cased; empty keeps the default.
  EXPECT_EQ(load("PortalDomains=Bing.com, hao123.com\n").PortalDomains,
            (std::vector<std::string>{"bing.com", "hao123.com"}));
  EXPECT_EQ(load("PortalDomains=\n").PortalDomains, defaults.PortalDomains);
  // Every new client presents it.
  SetEngineSettings(browser);
  EXPECT_EQ(THttpOptions{}.UserAgent, browser.BrowserUserAgent);
  SetEngineSettings(TEngineSettings{});
}

}  // namespace
}  // namespace zoqa::test
