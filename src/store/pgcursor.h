// A cursor over one keyword's companies in the team store. It reads a slice of rows at a time
// and asks for the next slice after the last row it read (by sort value and list id), so it
// holds no transaction open between reads and costs the same on the first page as on the last.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/companycursor.h"
#include "store/pgresult.h"

namespace zoqa {

class TPgConnection;

// The sort value of an order as an SQL expression over tbl_list; texts compare byte by byte.
std::string PgSortExpression(TSortColumn column);

// The columns ReadPgCompany expects, in its order, for a select list.
extern const char kPgCompanyColumns[];
// Overwrites `company` with the row `row` of a result selected with kPgCompanyColumns; only
// `parts` (TCompanyPart) are read, the others left empty.
void ReadPgCompany(const TPgResult& rows, int row, TCompany& company, unsigned parts = kAllParts);

class TPgCompanyCursor : public TCompanyCursor {
 public:
  // Reads from the start of `order`, or with `after` from the row after that key; in either
  // case after skipping `offset` rows.
  TPgCompanyCursor(TPgConnection& connection, std::string keyId, TSortOrder order,
                   std::int64_t offset, const TRowKey* after = nullptr);
  bool Next(TCompany& company) override;
  bool Key(TRowKey& key) const override;

 private:
  void FetchSlice();

  TPgConnection& connection_;
  std::string keyId_;
  TSortOrder order_;
  std::int64_t offset_;
  TPgResult rows_;
  int row_ = 0;
  bool first_ = true;
  bool seek_ = false;  // the first slice starts after lastValue_ and lastId_
  bool ended_ = false;
  std::string lastValue_;
  std::string lastId_;
};

}  // namespace zoqa
