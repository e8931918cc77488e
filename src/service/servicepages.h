// The service's pages under its base address: the notice, the product description, the
// distributor's contact data and the feedback form, with the token the feedback form gets and
// the reading of the contact reply. All texts are code page 936.
#pragma once

#include <string>
#include <string_view>

namespace zoqa {

// Key of the feedback token.
inline constexpr char kFeedbackKey[] = "4hnxwqpe";
// Distributor code asked for when the settings name none.
inline constexpr char kDefaultDistributor[] = "adm";

std::string NoticePageUrl(const std::string& baseUrl, std::string_view clientVersion);
std::string DescriptionPageUrl(const std::string& baseUrl);
// `distributorCode` goes in as it is; an empty one asks for kDefaultDistributor.
std::string ContactPageUrl(const std::string& baseUrl, const std::string& distributorCode);
std::string FeedbackPageUrl(const std::string& baseUrl, const std::string& token);

// The feedback token: "%s|%s|%d" of the two user-identity texts (this program keeps none, so
// both are empty) and a fresh random number from 1 to 1000, enciphered to hex.
std::string FeedbackToken();

// The messenger's web chat link for `number`, on the configured MessengerHost.
std::string MessengerUrl(const std::string& number);

// What the contact window shows for a reply. A reply of fewer than five items fills nothing.
struct TContactLines {
  bool Filled = false;
  bool ShowCompany = false;
  std::string Company;  // "公司名：" + item 2
  std::string Contact;  // "联系人：" + item 3
  std::string Phone;    // "联系电话：" + item 0
  bool ShowMessenger = false;
  std::string Messenger;        // "QQ：" + item 1 + " (点击交谈)"
  std::string MessengerNumber;  // item 1
};

// Reads the contact reply: items split at "|" (blanks also end an item, quotes group).
TContactLines ParseContactReply(const std::string& reply);

// Lines of a text as a line list counts them: CR LF, LF and CR each end a line, and a break
// at the very end starts no further line. The empty text has no lines.
int TextLineCount(std::string_view text);

}  // namespace zoqa
