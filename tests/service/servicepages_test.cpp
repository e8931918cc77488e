// Service page addresses, the feedback token and the reading of the contact reply.
#include "service/servicepages.h"

#include <gtest/gtest.h>

#include <set>

#include "service/desutil.h"
#include "service/servicesettings.h"
#include "util/codepage.h"

namespace zoqa {
namespace {

const std::string kBase = "http://svc.example/";

TEST(ServicePages, AddressesUnderTheBaseUrl) {
  EXPECT_EQ(NoticePageUrl(kBase, "2.1"), "http://svc.example/pop.aspx?ver=2.1&t=9");
  EXPECT_EQ(DescriptionPageUrl(kBase), "http://svc.example/http.aspx?action=des&t=8");
  EXPECT_EQ(ContactPageUrl(kBase, "d17"), "http://svc.example/http.aspx?action=contact&user=d17");
  EXPECT_EQ(ContactPageUrl(kBase, ""), "http://svc.example/http.aspx?action=contact&user=adm");
  EXPECT_EQ(FeedbackPageUrl(kBase, "AB12"), "http://svc.example/http.aspx?action=Opinion&u=AB12");
  // Before the service is known the addresses have no host.
  EXPECT_EQ(DescriptionPageUrl(""), "http.aspx?action=des&t=8");
}

TEST(ServicePages, MessengerUrlUsesTheConfiguredHost) {
  TServiceSettings settings;
  settings.MessengerHost = "chat.example";
  SetServiceSettings(settings);
  EXPECT_EQ(MessengerUrl("12345"), "http://chat.example/msgrd?v=3&uin=12345&site=qq&menu=yes");
  SetServiceSettings(TServiceSettings{});
}

TEST(ServicePages, FeedbackTokenDeciphersToTwoEmptyIdentitiesAndAFreshNumber) {
  std::set<std::string> tokens;
  for (int i = 0; i < 20; ++i) {
    std::string token = FeedbackToken();
    EXPECT_EQ(token.size(), 16u);  // "||" and up to four digits fit one block
    std::string plain = DecipherFromHex(token, kFeedbackKey);
    ASSERT_EQ(plain.substr(0, 2), "||");
    int n = std::stoi(plain.substr(2));
    EXPECT_GE(n, 1);
    EXPECT_LE(n, 1000);
    tokens.insert(token);
  }
  EXPECT_GT(tokens.size(), 1u);  // the number changes from click to click
}

TEST(ServicePages, ContactReplyOfFiveItemsFillsTheLines) {
  TContactLines lines = ParseContactReply(Cp936("020-1234|778899|广州众企|王经理|x"));
  ASSERT_TRUE(lines.Filled);
  EXPECT_TRUE(lines.ShowCompany);
  EXPECT_EQ(lines.Company, Cp936("公司名：广州众企"));
  EXPECT_EQ(lines.Contact, Cp936("联系人：王经理"));
  EXPECT_EQ(lines.Phone, Cp936("联系电话：020-1234"));
  EXPECT_TRUE(lines.ShowMessenger);
  EXPECT_EQ(lines.Messenger, Cp936("QQ：778899 (点击交谈)"));
  EXPECT_EQ(lines.MessengerNumber, "778899");
}

TEST(ServicePages, ContactReplyWithoutMessengerOrCompanyOrEnoughItems) {
  TContactLines noMessenger = ParseContactReply(Cp936("020-1234||众企|王经理|"));
  ASSERT_TRUE(noMessenger.Filled);
  EXPECT_TRUE(noMessenger.ShowCompany);
  EXPECT_FALSE(noMessenger.ShowMessenger);
  EXPECT_TRUE(noMessenger.MessengerNumber.empty());

  EXPECT_FALSE(ParseContactReply(Cp936("020-1234|778899|众企|王经理")).Filled);
  EXPECT_FALSE(ParseContactReply("").Filled);

  // A blank ends an item too, so a company name with a blank shifts the later items.
  TContactLines shifted = ParseContactReply(Cp936("020|778899|Zhong Qi|王经理|x"));
  ASSERT_TRUE(shifted.Filled);
  EXPECT_EQ(shifted.Company, Cp936("公司名：Zhong"));
  EXPECT_EQ(shifted.Contact, Cp936("联系人：Qi"));
}

TEST(ServicePages, LineCountAsALineListCountsIt) {
  EXPECT_EQ(TextLineCount(""), 0);
  EXPECT_EQ(TextLineCount("a"), 1);
  EXPECT_EQ(TextLineCount("a\r\nb"), 2);
  EXPECT_EQ(TextLineCount("a\nb\n"), 2);
  EXPECT_EQ(TextLineCount("a\n\nb"), 3);
  EXPECT_EQ(TextLineCount("a\rb\r\n"), 2);
}

}  // namespace
}  // namespace zoqa
