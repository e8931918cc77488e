#include <gtest/gtest.h>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "support/testsupport.h"

namespace zoqa {
namespace {

QJsonObject Extract(const std::vector<std::string>& args) {
  test::CliResult r = test::RunCli(args);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
}

TEST(CliExtract, PrintsTheExtractedRecordAsJson) {
  QJsonObject o =
      Extract({"extract", "--host", "www.gz.cn", test::TestDataPath("contact_page.html")});
  EXPECT_EQ(o["name"].toString(), QString::fromUtf8("广州市某某电子科技有限公司"));
  EXPECT_EQ(o["mobiles"].toArray().size(), 2);
  EXPECT_EQ(o["tels"].toArray().at(0).toString(), "020-87654321");
  EXPECT_EQ(o["qqs"].toArray().size(), 2);
  EXPECT_EQ(o["emails"].toArray().size(), 1);
  EXPECT_EQ(o["addr"].toString(), QString::fromUtf8("广州市天河区科韵路16号信息港A栋"));
  EXPECT_EQ(o["contactLink"].toString(), "http://www.gz.cn/contact.html");
  EXPECT_TRUE(o["worth"].toBool());
}

TEST(CliExtract, CodePagePagesAndVariants) {
  test::TempDir dir;
  // A page saved in the code page itself is not UTF-8: its raw bytes are used.
  test::WriteFileBytes(dir.File("gbk.html"),
                       "  <title>\xB9\xE3\xD6\xDD_\xC4\xB3\xC4\xB3\xB5\xE7\xD7\xD3\xB9\xAB"
                       "\xCB\xBE</title> 13812345678  ");
  QJsonObject o = Extract({"extract", "--variant", "sogou", dir.File("gbk.html")});
  EXPECT_EQ(o["name"].toString(), QString::fromUtf8("某某电子公司"));
  EXPECT_EQ(o["contactLink"].toString(), "");
  o = Extract({"extract", "--variant", "baidu", dir.File("gbk.html")});
  EXPECT_EQ(o["name"].toString(), QString::fromUtf8("广州某某电子公司"));

  test::WriteFileBytes(dir.File("empty.html"), "");
  o = Extract({"extract", dir.File("empty.html")});
  EXPECT_FALSE(o["worth"].toBool());
  EXPECT_EQ(o["name"].toString(), "");
  EXPECT_TRUE(o["tels"].isArray());
}

TEST(CliExtract, ErrorsAndUsage) {
  test::TempDir dir;
  test::CliResult r = test::RunCli({"extract", dir.File("missing.html")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("missing.html"), std::string::npos);
  EXPECT_EQ(test::RunCli({"extract", dir.Path()}).exitCode, 1);  // a directory
  EXPECT_EQ(test::RunCli({"extract"}).exitCode, 2);
  EXPECT_EQ(test::RunCli({"extract", "--variant", "bing", "x"}).exitCode, 2);
  EXPECT_EQ(test::RunCli({"no-such-command"}).exitCode, 2);
}

}  // namespace
}  // namespace zoqa
