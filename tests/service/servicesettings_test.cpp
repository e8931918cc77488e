#include "service/servicesettings.h"

#include <gtest/gtest.h>

#include "support/testsupport.h"

namespace zoqa {
namespace {

TEST(ServiceSettings, TheLinkIsOffUntilAConfigurationHostIsSet) {
  test::TempDir dir;
  TServiceSettings none = LoadServiceSettings(dir.File("missing.cfg"));
  EXPECT_FALSE(none.LinkOn());
  EXPECT_EQ(none.MessengerHost, "wpa.qq.com");

  test::WriteFileBytes(dir.File("zqclient.cfg"),
                       "[service]\nConfigHost = cfg.example.test \nAdminContact=12345\n"
                       "MessengerHost=\n");
  TServiceSettings s = LoadServiceSettings(dir.File("zqclient.cfg"));
  EXPECT_TRUE(s.LinkOn());
  EXPECT_EQ(s.ConfigHost, "cfg.example.test");
  // Page and version hosts default to the configuration host; empty keys keep defaults.
  EXPECT_EQ(s.ServiceHost, "cfg.example.test");
  EXPECT_EQ(s.VersionHost, "cfg.example.test");
  EXPECT_EQ(s.MessengerHost, "wpa.qq.com");
  EXPECT_EQ(s.AdminContact, "12345");

  test::WriteFileBytes(dir.File("two.cfg"),
                       "[service]\nConfigHost=a.test\nServiceHost=b.test\nVersionHost=c.test\n");
  TServiceSettings t = LoadServiceSettings(dir.File("two.cfg"));
  EXPECT_EQ(t.ServiceHost, "b.test");
  EXPECT_EQ(t.VersionHost, "c.test");
  EXPECT_FALSE(t.RequireHttps);
}

TEST(ServiceSettings, RequireHttpsRefusesEveryPlainHttpAddress) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("zqclient.cfg"), "[service]\nConfigHost=a.test\nRequireHttps=1\n");
  TServiceSettings strict = LoadServiceSettings(dir.File("zqclient.cfg"));
  TServiceSettings open;
  ASSERT_TRUE(strict.RequireHttps);
  EXPECT_EQ(strict.Scheme(), "https://");
  EXPECT_EQ(open.Scheme(), "http://");
  EXPECT_TRUE(open.AllowsUrl("HTTP://a.test/x") && open.AllowsUrl("https://a.test/x"));
  EXPECT_FALSE(strict.AllowsUrl("http://a.test/x"));
  EXPECT_TRUE(strict.AllowsUrl("HTTPS://a.test/x"));
  for (const char* other : {"", "file:///etc/passwd", "ftp://a.test/x", "a.test/x", "https:/a"}) {
    EXPECT_FALSE(open.AllowsUrl(other)) << other;
  }
}

}  // namespace
}  // namespace zoqa
