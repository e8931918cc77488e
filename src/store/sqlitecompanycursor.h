// A keyword's companies read from tbl_list through one prepared statement, a row at a time,
// in a chosen order that an index of the table serves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/companycursor.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zoqa {

class TSQLiteCompanyCursor : public TCompanyCursor {
 public:
  // Prepares the query of the companies whose keyid is `keyId`, in `order`, after the first
  // `offset` rows. Raises ESQLiteException when the statement cannot be prepared.
  TSQLiteCompanyCursor(sqlite3* handle, std::int64_t keyId, TSortOrder order, std::int64_t offset);
  ~TSQLiteCompanyCursor() override;
  TSQLiteCompanyCursor(const TSQLiteCompanyCursor&) = delete;
  TSQLiteCompanyCursor& operator=(const TSQLiteCompanyCursor&) = delete;

  bool Next(TCompany& company) override;

  // The statements that create the indexes the orders read through (idempotent).
  static std::vector<std::string> IndexStatements();
  // How many rows of tbl_list belong to `keyId`; raises ESQLiteException on failure.
  static std::int64_t Count(sqlite3* handle, std::int64_t keyId);

 private:
  sqlite3* handle_;
  sqlite3_stmt* statement_ = nullptr;
  bool done_ = false;
};

}  // namespace zoqa
