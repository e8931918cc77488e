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

// The parts of a record a reader needs. A cursor told to fill only some of them leaves the
// others empty (zero for the flags); the list id is always filled. Decoding only what an
// export writes saves most of its time.
enum TCompanyPart : unsigned {
  kPartName = 1u << 0,
  kPartAddr = 1u << 1,
  kPartUrl = 1u << 2,
  kPartSource = 1u << 3,
  kPartFlags = 1u << 4,  // IsPay and RenZheng
  kPartTels = 1u << 5,
  kPartMobiles = 1u << 6,
  kPartEmails = 1u << 7,
  kPartQQs = 1u << 8,
  kAllParts = (1u << 9) - 1,
};

// Where a row stands in an order: its sort value as the store holds it (the text of a number
// for the stored and badge orders) and its list id. Opening a cursor after a row's key reads
// on from that row without walking the rows before it.
struct TRowKey {
  std::string value;
  std::int64_t listId = 0;
};

// How two rows' keys follow each other in `order`, as every store orders them: below 0 when
// `a` comes first, 0 for the same row, above 0 when `b` comes first. The stored and badge
// orders compare numbers (the stored order its list ids alone), the others texts byte by byte,
// a shorter text before a longer one it begins; ties go by list id.
int CompareRowKeys(TSortOrder order, const TRowKey& a, const TRowKey& b);

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

  // The key of the row Next returned last, in the order the cursor reads; false when the
  // cursor cannot tell it (then no cursor may be opened after that row).
  virtual bool Key(TRowKey& /*key*/) const { return false; }

  // Fills only `parts` of the records from now on (kAllParts by default).
  void Only(unsigned parts) { parts_ = parts; }

  // Appends up to `max` further rows to `out`; returns how many were appended (0 at the end).
  std::size_t NextBatch(std::vector<TCompany>& out, std::size_t max) {
    std::size_t added = 0;
    for (TCompany company; added < max && Next(company); ++added) {
      out.push_back(std::move(company));
      company = TCompany();
    }
    return added;
  }

 protected:
  unsigned parts_ = kAllParts;
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

  // A cursor over the rows that follow the row of `after` in `order`, starting after the first
  // `offset` of them; null when the store cannot read from a key (callers then use offsets).
  // A grid reads the block before one it holds by reading after that block's first row in the
  // reverse order. The rows skipped by `offset` cost an index walk, so a reader keeps keys of
  // rows near those it will want.
  virtual std::unique_ptr<TCompanyCursor> OpenCompaniesAfter(const std::string& /*keyword*/,
                                                             TSortOrder /*order*/,
                                                             const TRowKey& /*after*/,
                                                             std::int64_t /*offset*/) {
    return nullptr;
  }

  // The key the keyword's row `listId` has in `order`, read back from the store, so that a
  // reader can place a row it was told of among the keys it holds. False when the store cannot
  // tell: no such row of the keyword, a sort value it gives no key for, or no keys at all.
  virtual bool RowKey(const std::string& /*keyword*/, TSortOrder /*order*/, std::int64_t /*listId*/,
                      TRowKey& /*key*/) {
    return false;
  }
};

}  // namespace zoqa
