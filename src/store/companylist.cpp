#include "store/companylist.h"

#include "util/textutil.h"

namespace zoqa {

TCompany& TCompanyList::Add(std::string key, std::unique_ptr<TCompany> company) {
  entries_.push_back(Entry{std::move(key), std::move(company)});
  return *entries_.back().Company;
}

long TCompanyList::IndexOf(std::string_view key) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (SameText(entries_[i].Key, key)) return static_cast<long>(i);
  }
  return -1;
}

bool TCompanyList::Remove(std::string_view key) {
  long index = IndexOf(key);
  if (index < 0) return false;
  entries_.erase(entries_.begin() + index);
  return true;
}

}  // namespace zoqa
