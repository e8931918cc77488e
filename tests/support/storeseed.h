// Stores keywords and companies before a program under test opens the store, as an earlier
// run would have left them. For test and bench programs that link the store.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "harvest/report/company.h"
#include "store/datamanager.h"
#include "store/keylist.h"
#include "store/sqlitedatabase.h"
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

// The statement that stores `count` companies shaped like harvested ones under the first
// keyword (id 1): a Chinese name and address, two mobiles, a landline, a QQ number, an e-mail
// address and a site; every 7th one paid, every 5th verified. One statement, so that a million
// rows take seconds.
inline std::string GeneratedCompaniesSql(long count) {
  return "insert into tbl_list(ComName, Addr, weburl, EMail, Tel, mob, qq, source, ispay, "
         "renzheng, stat, keyid) with recursive n(i) as (select 1 union all select i + 1 from n "
         "where i < " +
         std::to_string(count) +
         ") select '广州市天河区某某电子科技有限公司' || i, '广州市天河区天河路' || i || '号', "
         "'http://www.company' || i || '.cn/contact.html', 'sales' || i || '@example.cn' || "
         "char(13,10), '020-8' || (1000000 + i) || char(13,10), '138' || (10000000 + i) || "
         "char(13,10) || '139' || (10000000 + i) || char(13,10), (100000 + i) || char(13,10), "
         "'百度', i % 7 = 0, i % 5 = 0, 0, 1 from n";
}

// Adds keyword "k" with `count` generated companies to the program directory's store, which
// holds no keyword yet.
inline void SeedGeneratedKeyword(long count) {
  TKeyListInfo store;
  store.AddKey("k");
  store.Manager().Database().Execute(GeneratedCompaniesSql(count));
}

}  // namespace zoqa::test
