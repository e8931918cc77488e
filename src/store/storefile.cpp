#include "store/storefile.h"

#include <filesystem>
#include <stdexcept>

#include "store/datamanager.h"
#include "store/sqlitedatabase.h"

namespace zoqa {
namespace {

const char kCreateKeys[] =
    "create table tbl_key(ID INTEGER PRIMARY KEY AUTOINCREMENT, KeyStr TEXT, "
    "listcount INTEGER, lastpage INTEGER, sglastpage NUMERIC, s360lastpage NUMERIC, "
    "adddate NUMERIC)";

const char kCreateList[] =
    "create table tbl_list(ListID INTEGER PRIMARY KEY AUTOINCREMENT, ComName TEXT, Addr TEXT, "
    "weburl TEXT, EMail TEXT, Tel TEXT, mob TEXT, qq TEXT, source TEXT, ispay NUMERIC, "
    "renzheng NUMERIC, stat INTEGER, keyid INTEGER)";

}  // namespace

void ProvisionStoreFile() {
  ProvisionStoreFile(TDataManager::DatabasePath("users"));
}

void ProvisionStoreFile(const std::string& fileName) {
  namespace fs = std::filesystem;
  fs::path path(fileName);
  std::error_code ec;
  if (fs::exists(path, ec)) return;
  fs::create_directories(path.parent_path(), ec);
  if (ec)
    throw std::runtime_error("cannot create " + path.parent_path().string() + ": " + ec.message());
  // Built under a temporary name and moved into place, so that a failure half-way never
  // leaves a file without tables behind.
  fs::path building = path;
  building += ".new";
  fs::remove(building, ec);
  try {
    {
      TSQLiteDatabase database(building.string(), 0);
      database.Execute(kCreateKeys);
      database.Execute(kCreateList);
    }
    fs::rename(building, path);
  } catch (...) {
    fs::remove(building, ec);
    throw;
  }
}

}  // namespace zoqa
