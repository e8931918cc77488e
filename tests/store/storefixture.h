// Shared set-up of the store tests: a program directory of its own with a provisioned
// database, an event loop for the loader's hand-over, and company records.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "harvest/report/company.h"
#include "platform/appdir.h"
#include "store/keylist.h"
#include "store/storefile.h"
#include "support/testsupport.h"
#include "util/codepage.h"

namespace zoqa::test {

// The one application object the loader's queued hand-over needs.
inline void EnsureCoreApp() {
  static int argc = 1;
  static char name[] = "test_store";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

// Runs the event loop until `done` holds or `timeoutMs` has passed; returns `done`().
inline bool SpinUntil(const std::function<bool()>& done, int timeoutMs = 20000) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < timeoutMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return done();
}

inline TCompany Company(const std::string& nameUtf8, const std::string& mobile,
                        const std::string& keyword = "") {
  TCompany company;
  company.SetName(Cp936(nameUtf8));
  company.KeyWord = keyword;
  if (!mobile.empty()) company.AddMobile(mobile);
  return company;
}

class StoreFixture {
 public:
  StoreFixture() {
    EnsureCoreApp();
    SetAppDirOverride(dir.Path());
  }
  ~StoreFixture() {
    store.reset();
    SetAppDirOverride("");
  }

  std::string DataFile() const { return dir.File("Data/users"); }

  // Provisions the file when missing and opens a store with its keywords loaded.
  TKeyListInfo& Open() {
    store.reset();
    ProvisionStoreFile();
    store = std::make_unique<TKeyListInfo>();
    Attach();
    store->LoadKeys();
    return *store;
  }

  // Counts the events of the current store.
  void Attach() {
    store->OnKeyAdded = [this](TKeyListInfo&, TKeyData&) { ++keysAdded; };
    store->OnCompanyAdded = [this](TKeyListInfo&, const std::string&, const TCompany&) {
      ++companiesAdded;
    };
    store->OnCompaniesLoaded = [this](TKeyListInfo&, const std::string& keyword) {
      ++loads;
      lastLoaded = keyword;
    };
  }

  // A keyword's companies read back whole, in stored order.
  struct Companies {
    std::vector<TCompany> rows;
    std::size_t Count() const { return rows.size(); }
    const TCompany& At(std::size_t i) const { return rows.at(i); }
  };
  Companies Load(const std::string& keyword) {
    store->LoadCompanies(keyword);
    Companies companies;
    store->OpenCompanies(keyword, TSortOrder{})->NextBatch(companies.rows, SIZE_MAX);
    return companies;
  }

  // The first column of the first row of `sql`, run on the store's connection.
  std::string Single(const std::string& sql) {
    auto table = store->Manager().Database().Query(sql);
    return table.RowCount() ? table.TextOrEmptyAt(0) : "(no row)";
  }

  TempDir dir;
  std::unique_ptr<TKeyListInfo> store;
  int keysAdded = 0;
  int companiesAdded = 0;
  int loads = 0;
  std::string lastLoaded;
};

}  // namespace zoqa::test
