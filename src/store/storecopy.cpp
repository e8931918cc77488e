#include "store/storecopy.h"

#include <algorithm>
#include <map>

#include "harvest/base/engine.h"
#include "store/keyfold.h"
#include "store/storebackend.h"

namespace zoqa {
namespace {

constexpr int kBatchRows = 1000;

// Copies one keyword's companies under `keyId`; returns how many were copied.
std::int64_t CopyCompanies(TStoreBackend& from, TStoreBackend& to, const std::string& keyword,
                           const std::string& keyId, TCopyCounts& counts) {
  std::int64_t copied = 0;
  int inBatch = 0;
  to.BeginBatch();
  try {
    from.ReadCompanies(keyword, [&](std::unique_ptr<TCompany> company) {
      // The team store refuses a name it holds by itself; the local one is asked first.
      bool stored = (to.Shared() || !to.NameStored(company->GetName())) &&
                    to.AddCompany(keyId, *company) == TStoreAdd::Stored;
      ++(stored ? copied : counts.CompaniesSkipped);
      if (++inBatch == kBatchRows) {
        to.CommitBatch();
        to.BeginBatch();
        inBatch = 0;
      }
      return true;
    });
  } catch (...) {
    try {
      to.CommitBatch();
    } catch (...) {
    }
    throw;
  }
  to.CommitBatch();
  counts.Companies += copied;
  return copied;
}

void CopyPages(TStoreBackend& to, const std::string& keyId, const TStoredKey& key,
               const TStoredKey* existing) {
  auto later = [existing](std::int32_t page, std::int32_t TStoredKey::*field) {
    return existing ? std::max(page, existing->*field) : page;
  };
  to.SaveLastPage(keyId, egBaidu, later(key.LastPage, &TStoredKey::LastPage));
  to.SaveLastPage(keyId, egSogou, later(key.SgLastPage, &TStoredKey::SgLastPage));
  to.SaveLastPage(keyId, eg360, later(key.S360LastPage, &TStoredKey::S360LastPage));
}

}  // namespace

TCopyCounts CopyStore(TStoreBackend& from, TStoreBackend& to) {
  TCopyCounts counts;
  std::map<std::string, TStoredKey> present;
  for (TStoredKey& key : to.LoadKeys()) present.emplace(FoldKeyCase(key.KeyStr), std::move(key));
  for (const TStoredKey& key : from.LoadKeys()) {
    auto found = present.find(FoldKeyCase(key.KeyStr));
    const TStoredKey* existing = found == present.end() ? nullptr : &found->second;
    std::string keyId = existing ? existing->Id : to.AddKey(key.KeyStr, key.AddDate);
    if (keyId == "0") throw std::runtime_error("a keyword could not be stored at the target");
    ++(existing ? counts.KeysSkipped : counts.Keys);
    CopyPages(to, keyId, key, existing);
    std::int64_t copied = CopyCompanies(from, to, key.KeyStr, keyId, counts);
    if (copied > 0) {
      std::int32_t before = existing ? existing->ListCount : 0;
      to.SaveKeyCount(keyId, before + static_cast<std::int32_t>(copied),
                      existing ? std::max(existing->AddDate, key.AddDate) : key.AddDate);
    }
  }
  return counts;
}

}  // namespace zoqa
