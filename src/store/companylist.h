// A keyword's companies in list order, each under its list id (the stored row's ListID as
// decimal text). The list owns the companies; ids are matched without regard to letter case.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "harvest/report/company.h"

namespace zoqa {

class TCompanyList {
 public:
  struct Entry {
    std::string Key;
    std::unique_ptr<TCompany> Company;
  };

  std::size_t Count() const { return entries_.size(); }
  bool Empty() const { return entries_.empty(); }
  const TCompany& At(std::size_t i) const { return *entries_[i].Company; }
  const std::string& KeyAt(std::size_t i) const { return entries_[i].Key; }

  // Appends `company` under `key` (an existing entry with the same key stays).
  TCompany& Add(std::string key, std::unique_ptr<TCompany> company);
  // Index of the first entry under `key`, or -1.
  long IndexOf(std::string_view key) const;
  // Removes and frees the first entry under `key`; false when there is none.
  bool Remove(std::string_view key);
  void Clear() { entries_.clear(); }
  void Reserve(std::size_t count) { entries_.reserve(count); }

  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }

 private:
  std::vector<Entry> entries_;
};

}  // namespace zoqa
