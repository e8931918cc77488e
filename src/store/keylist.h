// The keyword and result store: the searched keywords, each with its harvested companies,
// mirrored into a store backend (the database file Data/users, tables tbl_key and tbl_list,
// or the team's PostgreSQL database). The keywords are held in memory; their companies stay in the
// file and are read through cursors in the order asked for, so that no operation's memory grows
// with a keyword's size. Every operation runs on the main thread.
#pragma once

#include <QTimer>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "export/exportfields.h"
#include "harvest/base/engine.h"
#include "harvest/net/storehold.h"
#include "harvest/report/company.h"
#include "harvest/text/regexp.h"
#include "platform/handoff.h"
#include "store/companycursor.h"
#include "store/datamanager.h"
#include "store/keydata.h"
#include "store/storebackend.h"

namespace zoqa {

class TKeyListInfo : public TCompanySource {
 public:
  using KeyAddedEvent = std::function<void(TKeyListInfo&, TKeyData&)>;
  using CompaniesLoadedEvent = std::function<void(TKeyListInfo&, const std::string&)>;
  using CompanyAddedEvent = std::function<void(TKeyListInfo&, const std::string&, const TCompany&)>;

  // Opens the chosen store (see storechoice.h): Data/users in the program directory, with the
  // columns an older file lacks, the lookup indexes and the indexes of the orders a keyword's
  // companies are read in added, or the team store. Raises ESQLiteException when the file
  // cannot be opened, EPgError, EStoreUrl or EStoreSchema when the team store cannot be used.
  TKeyListInfo();
  explicit TKeyListInfo(std::unique_ptr<TStoreBackend> backend);
  ~TKeyListInfo() override;
  TKeyListInfo(const TKeyListInfo&) = delete;
  TKeyListInfo& operator=(const TKeyListInfo&) = delete;

  // Events, called synchronously on the main thread when assigned.
  KeyAddedEvent OnKeyAdded;
  CompaniesLoadedEvent OnCompaniesLoaded;
  CompanyAddedEvent OnCompanyAdded;
  // On a watched team store: a company another machine stored, taken in. A reader of this
  // store may have seen it already. OnCompanyAdded is called instead while this is unassigned.
  CompanyAddedEvent OnCompanyTakenIn;
  // The team store's connection was lost (true: companies are kept in memory and pages are
  // not saved) or is back with everything kept written (false).
  std::function<void(TKeyListInfo&, bool)> OnStoreLost;
  // On a watched team store: the keyword's count changed in ways the watch does not follow
  // company by company (companies deleted on another machine); its ListCount is updated and
  // its companies should be shown anew.
  CompaniesLoadedEvent OnCompaniesChanged;
  // On a watched team store: another machine deleted the keyword. The handler may remove it
  // the usual way (DeleteKey); it leaves the list after the call in any case.
  CompaniesLoadedEvent OnKeyRemoved;

  // Companies kept in memory while the team store is unreachable, at most this many.
  static constexpr std::size_t kMaxHeld = 10000;
  bool Holding() const { return holding_; }
  std::size_t HeldCount() const { return held_.size(); }

  // On the team store: looks every `intervalMs` for keywords, and companies of the keywords
  // asked for, that other machines stored or deleted, and takes them in with the events.
  void WatchOthers(int intervalMs);

  void CheckSchema();
  void LoadKeys();
  TKeyData* AddKey(const std::string& keyword);
  std::string LookupKeyId(const std::string& keyword);
  TKeyData* FindKey(const std::string& keyword) const;
  void AddCompany(const std::string& keyword, const TCompany& company);
  // Deletes the company of `listId` and counts the keyword's companies anew: true when that
  // count came from the store, false when it failed (ListCount is then the one known before).
  bool DeleteCompany(const std::string& keyword, const std::string& listId);
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
  std::unique_ptr<TCompanyCursor> OpenCompaniesAfter(const std::string& keyword, TSortOrder order,
                                                     const TRowKey& after,
                                                     std::int64_t offset) override;
  bool RowKey(const std::string& keyword, TSortOrder order, std::int64_t listId,
              TRowKey& key) override;

  // Writes the keyword's companies in `order` to `fileName` (UTF-8 path) as comma-separated
  // text or as a spreadsheet; false when the keyword has no companies or the writing fails.
  bool WriteExport(const std::string& keyword, const std::string& fileName,
                   const TExportFields& fields, TExportFormat format, TSortOrder order = {});
  bool WriteExport(const std::string& keyword, const std::string& fileName, bool company, bool qq,
                   bool mobile, bool email, bool location, bool url, TExportFormat format);

  const std::vector<std::unique_ptr<TKeyData>>& Keys() const { return keys_; }
  // The local store's record builder; only for a store on the local file.
  TDataManager& Manager();
  TStoreBackend& Backend() { return *backend_; }

 private:
  TKeyData& AppendKey(std::unique_ptr<TKeyData> key);
  void RemoveKey(const TKeyData& key);
  TKeyData& AppendStored(TStoredKey row);
  void StoreNew(TKeyData& key, const std::string& keyword, std::unique_ptr<TCompany> copy);
  bool WriteNew(TKeyData& key, const std::string& keyword, std::unique_ptr<TCompany>& copy);
  void Hold(const std::string& keyword, std::unique_ptr<TCompany> copy);
  bool HoldPage(const TKeyData& key, int engine, std::int32_t page);
  void StoreLost();
  void RetryHeld();
  void StoreBack();
  bool WriteHeld();
  void PollOthers();
  void PollCompanies(TKeyData& key);
  void BeginWatch(TKeyData& key);
  void TakeInKeys(std::vector<TStoredKey> rows);
  void TakeInCount(TKeyData& key, std::int32_t stored);
  void CountNewCompany(TKeyData& key, const std::string& keyword, const TCompany& company);
  void DeleteKeyData(TKeyData& key);
  std::int32_t StoredCount(TKeyData& key);

  std::unique_ptr<TStoreBackend> backend_;
  std::vector<std::unique_ptr<TKeyData>> keys_;
  TRegExp tagPattern_;
  THandOffReceiver receiver_;  // lives on the main thread; runs the timers' calls

  // What waits for the team store while its connection is lost (keylisthold.cpp).
  struct THeldCompany {
    std::string Keyword;
    std::unique_ptr<TCompany> Company;
  };
  bool holding_ = false;
  bool reconnecting_ = false;
  TStoreHold crawlHold_;  // on while holding: harvesters start no new crawl
  std::deque<THeldCompany> held_;
  std::map<std::pair<std::string, int>, std::int32_t> heldPages_;  // by keyword id and engine
  std::set<std::string> unsavedPages_;  // keyword ids whose pages are not saved this run
  QTimer retry_;
  QTimer watch_;
  int retryMs_ = 0;
};

// Seconds since 1970-01-01 00:00 counted on the local wall clock, rounded to the nearest second.
std::int64_t LocalNowSeconds();

}  // namespace zoqa
