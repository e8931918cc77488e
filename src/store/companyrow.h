// Turns rows of tbl_list into company records.
#pragma once

#include <memory>

#include "harvest/report/company.h"

namespace zoqa {

class TSQLiteTable;

class TCompanyRowReader {
 public:
  // Looks the columns up once; the table must hold at least one row.
  explicit TCompanyRowReader(const TSQLiteTable& table);

  // The current row as a record: texts decoded from UTF-8, the name cleaned again, the list
  // columns split into their entries, the flags parsed as numbers.
  std::unique_ptr<TCompany> Read() const;

 private:
  const TSQLiteTable& table_;
  int listId_, name_, addr_, webUrl_, source_, isPay_, renZheng_, tel_, mob_, email_, qq_;
};

}  // namespace zoqa
