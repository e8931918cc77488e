// The team store: keywords and companies in a PostgreSQL database that every machine of a
// team writes. The database enforces the store's rules (each company name once, each keyword
// once, letter case folded), so two machines adding the same company store it once.
#pragma once

#include <memory>
#include <string>

#include "store/pgconnection.h"
#include "store/storebackend.h"

namespace zoqa {

class TPgStore : public TStoreBackend {
 public:
  // Connects and checks the schema; raises EPgError or EStoreSchema. With `giveUp` the connect
  // ends once it says so (see TPgConnection).
  explicit TPgStore(const TStoreUrl& url, const TPgGiveUp& giveUp = nullptr);
  ~TPgStore() override;

  TPgConnection& Connection() { return *connection_; }

  std::string Label() const override { return connection_->Url().Label(); }
  bool Shared() const override { return true; }
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
  void ReadCompaniesAfter(const std::string& keyId, std::int64_t listId,
                          const CompanySink& sink) override;
  bool Lost() const override { return !connection_->Alive(); }
  void StartReconnect() override { connection_->StartReset(); }
  TReconnect PollReconnect() override;
  void BeginBatch() override;
  void CommitBatch() override;

 private:
  // Runs a write; like the local store's writes, a failure is dropped (false).
  bool Write(const std::string& sql, const TPgParams& params);

  std::unique_ptr<TPgConnection> connection_;
};

}  // namespace zoqa
