// Turns rows of tbl_list into company records.
#pragma once

#include <memory>
#include <string_view>

#include "store/companycursor.h"

namespace zoqa {

class TSQLiteTable;

// The columns of tbl_list a record is made of, in the order FillCompany takes their texts.
inline constexpr const char kCompanyColumns[] =
    "ListID, ComName, Addr, weburl, source, ispay, renzheng, Tel, mob, EMail, qq";
inline constexpr int kCompanyColumnCount = 11;

// Overwrites `company` with a row given as the texts of kCompanyColumns (a NULL as empty
// text): texts decoded from UTF-8, the name cleaned again, the list columns split into their
// entries, the flags parsed as numbers. Only `parts` (TCompanyPart) are read from the texts;
// the others are left empty.
void FillCompany(TCompany& company, const std::string_view (&texts)[kCompanyColumnCount],
                 unsigned parts = kAllParts);

class TCompanyRowReader {
 public:
  // Looks the columns up once; the table must hold at least one row.
  explicit TCompanyRowReader(const TSQLiteTable& table);

  // The current row as a record, as FillCompany makes it.
  std::unique_ptr<TCompany> Read() const;

 private:
  const TSQLiteTable& table_;
  int listId_, name_, addr_, webUrl_, source_, isPay_, renZheng_, tel_, mob_, email_, qq_;
};

}  // namespace zoqa
