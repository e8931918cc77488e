// One harvested company. All text is code page 936 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zoqa {

class TCompany {
 public:
  std::string ComName;  // always written through SetName
  std::string ListId;   // the stored row's id as decimal text; empty before it is stored
  std::string KeyWord;
  std::string Addr;
  std::vector<std::string> Tels;
  std::vector<std::string> Mobiles;
  std::vector<std::string> Emails;
  std::vector<std::string> QQs;
  std::string WebUrl;  // the site reached from the search result, after redirects
  std::string Source;  // the engine that found it: "百度", "360" or "搜狗"
  std::uint8_t IsPay = 0;
  std::uint8_t RenZheng = 0;

  // Each appends `s` unless the list already holds it (ASCII letters compare without case).
  void AddTel(std::string_view s) { AddUnique(Tels, s); }
  void AddMobile(std::string_view s) { AddUnique(Mobiles, s); }
  void AddEmail(std::string_view s) { AddUnique(Emails, s); }
  void AddQQ(std::string_view s) { AddUnique(QQs, s); }

  // The name, or a single blank when it is empty.
  std::string GetName() const;
  // Stores the name without the words for contact and about pages and without the
  // punctuation that site titles wrap around it; commas become blanks.
  void SetName(std::string_view s);
  // Empties the contact data, name, address, site, source and paid flag.
  void Reset();
  // Copies everything but KeyWord and ListId; an empty name becomes " ".
  void Assign(const TCompany& other);

 private:
  static void AddUnique(std::vector<std::string>& list, std::string_view s);
};

}  // namespace zoqa
