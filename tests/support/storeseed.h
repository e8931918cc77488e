// Stores keywords and companies before a program under test opens the store, as an earlier
// run would have left them. For test programs that link the store.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "harvest/report/company.h"
#include "store/keylist.h"
#include "util/codepage.h"

namespace zoqa::test {

// A company found on Baidu for `keywordUtf8`, with one mobile number unless it is empty.
inline TCompany MakeCompany(const std::string& keywordUtf8, const std::string& nameUtf8,
                            const std::string& mobile) {
  TCompany company;
  company.SetName(Cp936(nameUtf8));
  company.KeyWord = Cp936(keywordUtf8);
  if (!mobile.empty()) company.AddMobile(mobile);
  company.Source = Cp936("百度");
  return company;
}

// Each keyword (UTF-8) with its companies' names; every company gets its own mobile number.
inline void SeedStore(
    const std::vector<std::pair<std::string, std::vector<std::string>>>& keywords) {
  TKeyListInfo store;
  store.LoadKeys();
  int mobile = 0;
  for (const auto& [keyword, names] : keywords) {
    store.AddKey(Cp936(keyword));
    for (const auto& name : names) {
      store.AddCompany(Cp936(keyword),
                       MakeCompany(keyword, name, "1380000000" + std::to_string(mobile++)));
    }
  }
}

}  // namespace zoqa::test
