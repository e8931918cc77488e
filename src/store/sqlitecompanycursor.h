// A keyword's companies read from tbl_list a row at a time, in a chosen order that an index of
// the table serves: from the start of the order, or on from a row's key.
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
  // Reads the companies whose keyid is `keyId`, in `order`, after the first `offset` rows.
  // Raises ESQLiteException when the statement cannot be prepared.
  TSQLiteCompanyCursor(sqlite3* handle, std::int64_t keyId, TSortOrder order, std::int64_t offset);
  // The same for the rows that follow the row of `after` in `order`.
  TSQLiteCompanyCursor(sqlite3* handle, std::int64_t keyId, TSortOrder order, const TRowKey& after,
                       std::int64_t offset);
  ~TSQLiteCompanyCursor() override;
  TSQLiteCompanyCursor(const TSQLiteCompanyCursor&) = delete;
  TSQLiteCompanyCursor& operator=(const TSQLiteCompanyCursor&) = delete;

  bool Next(TCompany& company) override;
  // False for a row whose sort value is NULL: such rows are read from the start only.
  bool Key(TRowKey& key) const override;

  // The statements that create the indexes the orders read through (idempotent).
  static std::vector<std::string> IndexStatements();
  // How many rows of tbl_list belong to `keyId`; raises ESQLiteException on failure.
  static std::int64_t Count(sqlite3* handle, std::int64_t keyId);
  // The key row `listId` of `keyId` has in `order`; false for no such row or a NULL sort
  // value (as Key). Raises ESQLiteException on failure.
  static bool RowKey(sqlite3* handle, std::int64_t keyId, TSortOrder order, std::int64_t listId,
                     TRowKey& key);

 private:
  // One stretch of the order: a condition beyond keyid and the order that reads it.
  struct TStretch {
    std::string where;
    std::string orderBy;
  };

  void Open();
  bool Step();
  std::int64_t CountInStretch();
  void Bind(sqlite3_stmt* statement, std::int64_t offset) const;

  sqlite3* handle_;
  std::int64_t keyId_;
  TSortOrder order_;
  TRowKey after_;
  std::vector<TStretch> stretches_;  // read one after the other
  std::size_t stretch_ = 0;
  std::int64_t offset_;
  sqlite3_stmt* statement_ = nullptr;
  bool anyRow_ = false;  // a row came from the current stretch
  bool done_ = false;
};

}  // namespace zoqa
