#include "store/storecopy.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "harvest/base/engine.h"
#include "store/keyfold.h"
#include "store/storebackend.h"

namespace zoqa {
namespace {

constexpr int kBatchRows = 1000;

// Writes one company.
TStoreAdd CopyOne(TStoreBackend& to, const std::string& keyId, TCompany& company) {
  // The team store refuses a name it holds by itself; the local one is asked first.
  if (!to.Shared() && to.NameStored(company.GetName())) return TStoreAdd::Duplicate;
  return to.AddCompany(keyId, company);
}

// Writes a batch of companies in one transaction; returns how many were stored. A failed
// write undoes the whole transaction on the team store, so the batch is then written again
// one company at a time, where a failure costs only its own row.
std::int64_t CopyBatch(TStoreBackend& to, const std::string& keyId,
                       std::vector<std::unique_ptr<TCompany>>& batch) {
  std::int64_t stored = 0;
  bool failed = false;
  to.BeginBatch();
  try {
    for (auto& company : batch) {
      TStoreAdd added = CopyOne(to, keyId, *company);
      stored += added == TStoreAdd::Stored;
      failed = added == TStoreAdd::Failed && to.Shared();
      if (failed) break;
    }
  } catch (...) {
    try {
      to.CommitBatch();
    } catch (...) {
    }
    throw;
  }
  to.CommitBatch();
  if (!failed) return stored;
  stored = 0;
  for (auto& company : batch) stored += CopyOne(to, keyId, *company) == TStoreAdd::Stored;
  return stored;
}

// Copies one keyword's companies under `keyId`; returns how many were copied.
std::int64_t CopyCompanies(TStoreBackend& from, TStoreBackend& to, const std::string& keyword,
                           const std::string& keyId, TCopyCounts& counts) {
  std::int64_t copied = 0;
  std::int64_t read = 0;
  std::vector<std::unique_ptr<TCompany>> batch;
  from.ReadCompanies(keyword, [&](std::unique_ptr<TCompany> company) {
    batch.push_back(std::move(company));
    ++read;
    if (batch.size() == kBatchRows) {
      copied += CopyBatch(to, keyId, batch);
      batch.clear();
    }
    return true;
  });
  if (!batch.empty()) copied += CopyBatch(to, keyId, batch);
  counts.Companies += copied;
  counts.CompaniesSkipped += read - copied;
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
