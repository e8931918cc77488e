// Reading a keyword's companies a few at a time, in an order the caller chooses, without
// holding them all in memory. A store backend hands out cursors; exports, listings and the
// result grid read through them. Nothing here depends on a particular database.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "harvest/report/company.h"

namespace zoqa {

// The columns a keyword's companies can be ordered by. Every order but kStored is served by
// an index of the store, so that the first rows of any order come at once.
enum class TSortColumn : std::uint8_t {
  kStored,  // the order the companies were stored in (list id)
  kBadge,   // paid first, then certified, then the rest
  kName,    // the company name as stored (UTF-8, compared byte by byte)
  kMobile,  // the stored mobile list (entries each followed by CR LF)
  kQQ,      // the stored QQ list
  kEmail,   // the stored e-mail list
  kSource,  // the engine the company came from
};

// A column and a direction. Rows equal in the column follow the stored order (ascending);
// a descending order is the exact reverse of the ascending one, ties included.
struct TSortOrder {
  TSortColumn column = TSortColumn::kStored;
  bool descending = false;

  bool operator==(const TSortOrder&) const = default;
};

// A forward-only reader over the companies of one keyword. It reads from the store's view
// at the time it was opened or later (rows stored or deleted while it is open may or may not
// be seen). Use it on the thread that opened it, drop it before its store, and do not keep
// one open across writes to the store: a backend may hold its writes back until its open
// reads end (SQLite commits only once no statement of the connection is still reading).
class TCompanyCursor {
 public:
  virtual ~TCompanyCursor() = default;

  // Overwrites `company` with the next row; false when there is none. Raises on a read
  // failure (the rows returned so far stay valid).
  virtual bool Next(TCompany& company) = 0;

  // Appends up to `max` further rows to `out`; returns how many were appended (0 at the end).
  std::size_t NextBatch(std::vector<TCompany>& out, std::size_t max) {
    std::size_t added = 0;
    for (TCompany company; added < max && Next(company); ++added) {
      out.push_back(std::move(company));
      company = TCompany();
    }
    return added;
  }
};

// What a store offers for reading a keyword's companies. Keywords are the store's code page
// 936 texts; an unknown keyword has no companies.
class TCompanySource {
 public:
  virtual ~TCompanySource() = default;

  // How many companies the keyword has in the store now.
  virtual std::int64_t CountCompanies(const std::string& keyword) = 0;

  // A cursor over the keyword's companies in `order`, starting after the first `offset`
  // rows of that order. A grid reads a window of rows with
  //   OpenCompanies(keyword, order, first)->NextBatch(rows, count)
  // and drops the cursor at once. `offset` should be served without reading the rows it
  // skips (an index walk), as a grid asks for windows anywhere in a million rows.
  virtual std::unique_ptr<TCompanyCursor> OpenCompanies(const std::string& keyword,
                                                        TSortOrder order,
                                                        std::int64_t offset = 0) = 0;
};

}  // namespace zoqa
