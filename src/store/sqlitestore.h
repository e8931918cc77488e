// The embedded store: the database file Data/users (tables tbl_key and tbl_list), written
// through the record builder exactly as the program always has.
#pragma once

#include <memory>
#include <string>

#include "store/datamanager.h"
#include "store/storebackend.h"

namespace zoqa {

class TSQLiteStore : public TStoreBackend {
 public:
  // Opens the file at `fileName` (UTF-8), adds the columns an older file lacks and the
  // lookup indexes. Raises ESQLiteException when the file cannot be opened.
  explicit TSQLiteStore(const std::string& fileName);
  // Opens the file only to read it beside the connection that owns it: the file is left as
  // it is, now and when the reader closes.
  struct TReaderOnly {};
  TSQLiteStore(const std::string& fileName, TReaderOnly);
  ~TSQLiteStore() override;

  void CheckSchema();
  TDataManager& Manager() { return *manager_; }

  std::string Label() const override { return manager_->FileName(); }
  bool Shared() const override { return false; }
  TSourceOpener ReaderOpener() const override;
  std::vector<TStoredKey> LoadKeys() override;
  std::string AddKey(const std::string& keyword, std::int64_t addDate) override;
  std::string KeyId(const std::string& keyword) override;
  bool NameStored(const std::string& name) override;
  TStoreAdd AddCompany(const std::string& keyId, TCompany& company) override;
  void SaveKeyCount(const std::string& keyId, std::int32_t count, std::int64_t addDate) override;
  void SaveLastPage(const std::string& keyId, int engine, std::int32_t page) override;
  void SaveLastPageByKeyword(const std::string& keyword, int engine, std::int32_t page) override;
  void DeleteCompany(const std::string& listId) override;
  void DeleteKey(const std::string& keyId) override;
  void ReadCompanies(const std::string& keyword, const CompanySink& sink) override;
  std::int64_t CountCompanies(const std::string& keyword) override;
  std::unique_ptr<TCompanyCursor> OpenCompanies(const std::string& keyword, TSortOrder order,
                                                std::int64_t offset) override;
  std::unique_ptr<TCompanyCursor> OpenCompaniesAfter(const std::string& keyword, TSortOrder order,
                                                     const TRowKey& after,
                                                     std::int64_t offset) override;
  bool RowKey(const std::string& keyword, TSortOrder order, std::int64_t listId,
              TRowKey& key) override;
  void BeginBatch() override;
  void CommitBatch() override;

 private:
  void PrepareDatabase();
  void AddMissingColumns(const std::string& table,
                         const std::vector<std::pair<std::string, std::string>>& columns);

  std::unique_ptr<TDataManager> manager_;
  bool reader_ = false;
};

}  // namespace zoqa
