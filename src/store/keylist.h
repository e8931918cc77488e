// The keyword and result store: the searched keywords, each with its harvested companies,
// mirrored into the database file Data/users (tables tbl_key and tbl_list). The keywords are
// held in memory; their companies stay in the file and are read through cursors in the order
// asked for, so that no operation's memory grows with a keyword's size. Every operation runs
// on the main thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "export/exportfields.h"
#include "harvest/base/engine.h"
#include "harvest/report/company.h"
#include "harvest/text/regexp.h"
#include "store/companycursor.h"
#include "store/datamanager.h"
#include "store/keydata.h"

namespace zoqa {

class TKeyListInfo : public TCompanySource {
 public:
  using KeyAddedEvent = std::function<void(TKeyListInfo&, TKeyData&)>;
  using CompaniesLoadedEvent = std::function<void(TKeyListInfo&, const std::string&)>;
  using CompanyAddedEvent = std::function<void(TKeyListInfo&, const std::string&, const TCompany&)>;

  // Opens Data/users in the program directory, adds the columns an older file lacks, the
  // lookup indexes and the indexes of the orders a keyword's companies are read in. Raises
  // ESQLiteException when the file cannot be opened.
  TKeyListInfo();
  ~TKeyListInfo() override;
  TKeyListInfo(const TKeyListInfo&) = delete;
  TKeyListInfo& operator=(const TKeyListInfo&) = delete;

  // Events, called synchronously on the main thread when assigned.
  KeyAddedEvent OnKeyAdded;
  CompaniesLoadedEvent OnCompaniesLoaded;
  CompanyAddedEvent OnCompanyAdded;

  void CheckSchema();
  void LoadKeys();
  TKeyData* AddKey(const std::string& keyword);
  std::string LookupKeyId(const std::string& keyword);
  TKeyData* FindKey(const std::string& keyword) const;
  void AddCompany(const std::string& keyword, const TCompany& company);
  void DeleteCompany(const std::string& keyword, const std::string& listId);
  void DeleteKey(const std::string& keyword);
  void ClearAll();
  bool SetLastPage(const std::string& keyword, std::int32_t page, int engine);
  void SaveLastPageByKeyword(const std::string& keyword, std::int32_t page, int engine);
  void SetStatusText(const std::string& keyword, const std::string& text);
  // The companies are always at hand in the store: marks the keyword as asked for and
  // returns it (nullptr for an unknown keyword). `action` is what the caller is about to do.
  TKeyData* RequestLoaded(const std::string& keyword, std::uint8_t action);
  // Reports OnCompaniesLoaded for a known keyword at once.
  void LoadCompanies(const std::string& keyword);
  std::uint8_t TakePendingAction(const std::string& keyword);
  std::int64_t TotalListCount() const;
  std::string StripTags(const std::string& text);

  std::int64_t CountCompanies(const std::string& keyword) override;
  std::unique_ptr<TCompanyCursor> OpenCompanies(const std::string& keyword, TSortOrder order,
                                                std::int64_t offset = 0) override;

  // Writes the keyword's companies in `order` to `fileName` (UTF-8 path) as comma-separated
  // text or as a spreadsheet; false when the keyword has no companies or the writing fails.
  bool WriteExport(const std::string& keyword, const std::string& fileName,
                   const TExportFields& fields, TExportFormat format, TSortOrder order = {});
  bool WriteExport(const std::string& keyword, const std::string& fileName, bool company, bool qq,
                   bool mobile, bool email, bool location, bool url, TExportFormat format);

  const std::vector<std::unique_ptr<TKeyData>>& Keys() const { return keys_; }
  TDataManager& Manager() { return *manager_; }

 private:
  TKeyData& AppendKey(std::unique_ptr<TKeyData> key);
  void RemoveKey(const TKeyData& key);
  void PrepareDatabase();
  void AddMissingColumns(const std::string& table,
                         const std::vector<std::pair<std::string, std::string>>& columns);
  std::unique_ptr<TKeyData> KeyFromRow(const TSQLiteTable& table) const;
  bool StoreCompany(TCompany& copy, const TKeyData& key);
  void CountNewCompany(TKeyData& key, const std::string& keyword, const TCompany& company);
  void DeleteKeyData(TKeyData& key);
  std::int32_t StoredCount(TKeyData& key);

  std::unique_ptr<TDataManager> manager_;
  std::vector<std::unique_ptr<TKeyData>> keys_;
  TRegExp tagPattern_;
};

// Seconds since 1970-01-01 00:00 counted on the local wall clock, rounded to the nearest second.
std::int64_t LocalNowSeconds();

}  // namespace zoqa
