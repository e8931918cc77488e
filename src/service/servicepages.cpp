#include "service/servicepages.h"

#include <vector>

#include "service/desutil.h"
#include "service/replyitems.h"
#include "service/servicesettings.h"
#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

constexpr int kTokenRandomRange = 1000;

}  // namespace

std::string NoticePageUrl(const std::string& baseUrl, std::string_view clientVersion) {
  return baseUrl + "pop.aspx?ver=" + std::string(clientVersion) + "&t=" + std::to_string(9);
}

std::string DescriptionPageUrl(const std::string& baseUrl) {
  return baseUrl + "http.aspx?action=des&t=" + std::to_string(8);
}

std::string ContactPageUrl(const std::string& baseUrl, const std::string& distributorCode) {
  const std::string& code = distributorCode.empty() ? kDefaultDistributor : distributorCode;
  return baseUrl + "http.aspx?action=contact&user=" + code;
}

std::string FeedbackPageUrl(const std::string& baseUrl, const std::string& token) {
  return baseUrl + "http.aspx?action=Opinion&u=" + token;
}

std::string FeedbackToken() {
  const std::string userName;
  const std::string userPassword;
  std::string text =
      userName + "|" + userPassword + "|" + std::to_string(RandomNumber(kTokenRandomRange));
  return EncipherToHex(text, kFeedbackKey);
}

std::string MessengerUrl(const std::string& number) {
  return "http://" + ServiceSettings()->MessengerHost + "/msgrd?v=3&uin=" + number +
         "&site=qq&menu=yes";
}

TContactLines ParseContactReply(const std::string& reply) {
  TContactLines lines;
  std::vector<std::string> items = SplitReplyItems(reply, '|');
  if (items.size() < 5) return lines;
  lines.Filled = true;
  lines.ShowCompany = !Trim(items[2]).empty();
  if (lines.ShowCompany) lines.Company = Cp936("公司名：") + items[2];
  lines.Contact = Cp936("联系人：") + items[3];
  lines.Phone = Cp936("联系电话：") + items[0];
  lines.ShowMessenger = !Trim(items[1]).empty();
  if (lines.ShowMessenger) {
    lines.Messenger = Cp936("QQ：") + items[1] + Cp936(" (点击交谈)");
    lines.MessengerNumber = items[1];
  }
  return lines;
}

int TextLineCount(std::string_view text) {
  int count = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    ++count;
    if (end == std::string_view::npos) break;
    pos = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return count;
}

}  // namespace zoqa
