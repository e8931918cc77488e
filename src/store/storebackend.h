// The store's persistence, behind one interface with two backends: the embedded SQLite file
// of the program directory and a PostgreSQL database shared by a team. The keyword list in
// memory (TKeyListInfo) writes and reads through it; keywords are code page 936 text here,
// as everywhere above the store.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "harvest/report/company.h"
#include "store/companycursor.h"

namespace zoqa {

// One stored keyword row.
struct TStoredKey {
  std::string Id;
  std::string KeyStr;
  std::int32_t ListCount = 0;
  std::int64_t AddDate = 0;
  std::int32_t LastPage = 0;
  std::int32_t SgLastPage = 0;
  std::int32_t S360LastPage = 0;
};

// What became of a company handed to AddCompany.
// Unreachable: the team store's connection is lost; the company was not written.
enum class TStoreAdd { Stored, Duplicate, Failed, Unreachable };

// A step of a reconnect: still under way, the store usable again, or this try failed.
enum class TReconnect { Pending, Up, Failed };

// Opens a connection of its own to a store, for reading its companies on the calling thread.
// A connect still under way ends once `giveUp` (may be empty) says so, with an error.
using TSourceOpener =
    std::function<std::unique_ptr<TCompanySource>(const std::function<bool()>& giveUp)>;

// A backend also hands out a keyword's companies as cursors (TCompanySource).
class TStoreBackend : public TCompanySource {
 public:
  using CompanySink = std::function<bool(std::unique_ptr<TCompany>)>;

  virtual ~TStoreBackend() = default;

  // Where the store is, for status lines: the file path or host:port/database. Never the
  // password.
  virtual std::string Label() const = 0;
  // True for a store that other machines write as well.
  virtual bool Shared() const = 0;
  // How another thread opens its own reading connection to this store (a worker must not use
  // this backend's connection). The opener holds no reference to the backend.
  virtual TSourceOpener ReaderOpener() const = 0;

  // The keywords in store order.
  virtual std::vector<TStoredKey> LoadKeys() = 0;
  // Stores a new keyword and returns its id; a keyword stored already gives its id, and "0"
  // means it could not be stored.
  virtual std::string AddKey(const std::string& keyword, std::int64_t addDate) = 0;
  virtual std::string KeyId(const std::string& keyword) = 0;

  // True when a company of this name is stored under any keyword.
  virtual bool NameStored(const std::string& name) = 0;
  // Stores `company` under the keyword `keyId` and sets its ListId. Duplicate when the name
  // is stored already (the store allows each name once); Failed when the write failed.
  virtual TStoreAdd AddCompany(const std::string& keyId, TCompany& company) = 0;
  // Records the keyword's company count and date after a company was added.
  virtual void SaveKeyCount(const std::string& keyId, std::int32_t count, std::int64_t addDate) = 0;
  // Records an engine's next page, by keyword id or by keyword text.
  virtual void SaveLastPage(const std::string& keyId, int engine, std::int32_t page) = 0;
  virtual void SaveLastPageByKeyword(const std::string& keyword, int engine, std::int32_t page) = 0;
  virtual void DeleteCompany(const std::string& listId) = 0;
  // Deletes the keyword and its companies.
  virtual void DeleteKey(const std::string& keyId) = 0;

  // Hands the keyword's companies to `sink` in list order until it returns false.
  virtual void ReadCompanies(const std::string& keyword, const CompanySink& sink) = 0;
  // Hands the keyword's companies with a list id above `listId` to `sink`, in list order (a
  // few hundred at most): what other machines stored since. The local store has none.
  virtual void ReadCompaniesAfter(const std::string& keyId, std::int64_t listId,
                                  const CompanySink& sink) {
    (void)keyId, (void)listId, (void)sink;
  }
  // True when the connection to the store is lost (a team store only).
  virtual bool Lost() const { return false; }
  // Connects again after a loss without waiting: StartReconnect begins a try, and each
  // PollReconnect takes it as far as it can go now.
  virtual void StartReconnect() {}
  virtual TReconnect PollReconnect() { return TReconnect::Up; }

  // Groups many writes (a copy) into one transaction where the backend has them.
  virtual void BeginBatch() = 0;
  virtual void CommitBatch() = 0;
};

// The column of tbl_key holding an engine's next page, or empty for an unknown engine.
std::string PageColumn(int engine);

}  // namespace zoqa
