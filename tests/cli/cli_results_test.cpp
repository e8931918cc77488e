#include <gtest/gtest.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "support/testsupport.h"
#include "support/webpages.h"

namespace zoqa {
namespace {

QJsonArray Results(const std::vector<std::string>& args) {
  test::CliResult r = test::RunCli(args);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).array();
}

TEST(CliResults, PrintsEveryResultInCrawlOrderWithItsReader) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("sogou.html"),
                       test::SogouTodayPage({{"恒达电子", "/link?url=s1", ""}},
                                            "http://www.sogou.com/bill_cpc?v=1"));
  QJsonArray sogou =
      Results({"--home", dir.Path(), "results", "--engine", "sogou", dir.File("sogou.html")});
  ASSERT_EQ(sogou.size(), 2);
  QJsonObject paid = sogou[0].toObject();
  EXPECT_EQ(paid["url"].toString(), "http://www.sogou.com/bill_cpc?v=1");
  EXPECT_TRUE(paid["paid"].toBool());
  EXPECT_EQ(paid["reader"].toString(), "classic");
  EXPECT_FALSE(paid.contains("certified"));
  QJsonObject organic = sogou[1].toObject();
  EXPECT_EQ(organic["url"].toString(), "https://www.sogou.com/link?url=s1");
  EXPECT_EQ(organic["title"].toString(), QString::fromUtf8("恒达电子"));
  EXPECT_EQ(organic["reader"].toString(), "page");

  test::WriteFileBytes(dir.File("baidu.html"),
                       test::BaiduTodayPage({{"甲", "http://www.baidu.com/link?url=r1", ""}}));
  QJsonArray baidu = Results({"--home", dir.Path(), "results", dir.File("baidu.html")});
  ASSERT_EQ(baidu.size(), 1);
  EXPECT_FALSE(baidu[0].toObject()["certified"].toBool());

  // With the classic reader alone, today's markup gives nothing.
  test::WriteFileBytes(dir.File("zqclient.cfg"), "[engine]\nPageReaders=classic\n");
  EXPECT_TRUE(Results({"--home", dir.Path(), "results", dir.File("baidu.html")}).isEmpty());
}

// What `results` prints is what a run crawls: none of the page's navigation links.
TEST(CliResults, PrintsNoNavigation) {
  test::TempDir dir;
  for (const char* name : {"so360_today.html", "so360_classic.html"}) {
    QJsonArray rows = Results({"--home", dir.Path(), "results", "--engine", "360",
                               test::TestDataPath(std::string("results/") + name)});
    EXPECT_FALSE(rows.isEmpty()) << name;
    for (const auto& row : rows) {
      QString url = row.toObject()["url"].toString();
      for (const char* nav : {"baidu.com", "bing.com", "360kan.com", "hao123.com", "so.com/s?"}) {
        EXPECT_FALSE(url.contains(nav)) << name << ": " << url.toStdString();
      }
    }
  }
}

TEST(CliResults, ErrorsAndUsage) {
  test::TempDir dir;
  test::CliResult r = test::RunCli({"results", dir.File("missing.html")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("missing.html"), std::string::npos);
  EXPECT_EQ(test::RunCli({"results"}).exitCode, 2);
  EXPECT_EQ(test::RunCli({"results", "--engine", "bing", "x"}).exitCode, 2);
}

}  // namespace
}  // namespace zoqa
