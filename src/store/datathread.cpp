#include "store/datathread.h"

#include <atomic>
#include <thread>

#include "store/companyrow.h"
#include "store/datamanager.h"
#include "store/storedtext.h"

namespace zoqa {
namespace {

std::atomic<int> g_running{0};

}  // namespace

void TDataThread::Start(std::string keyWord, std::string fileName, std::uint64_t serial,
                        std::shared_ptr<TLoaderLink> link) {
  auto* thread = new TDataThread(std::move(keyWord), std::move(fileName), serial, std::move(link));
  ++g_running;
  try {
    std::thread([thread] { thread->Run(); }).detach();
  } catch (...) {
    --g_running;
    delete thread;
    throw;
  }
}

int TDataThread::Running() {
  return g_running.load();
}

TDataThread::TDataThread(std::string keyWord, std::string fileName, std::uint64_t serial,
                         std::shared_ptr<TLoaderLink> link)
    : link_(std::move(link)),
      fileName_(std::move(fileName)),
      result_(std::make_shared<TLoadResult>()) {
  result_->KeyWord = std::move(keyWord);
  result_->Serial = serial;
}

void TDataThread::Run() {
  // A failure ends the load where it happened; what was read so far is handed over.
  try {
    auto manager = TDataManager::OpenFile(fileName_, 0);
    sqlite3* handle = manager->Database().Handle();
    link_->Register(handle);
    try {
      Load(*manager);
    } catch (...) {
    }
    link_->Unregister(handle);
  } catch (...) {
  }
  link_->Deliver(std::move(result_));
  auto link = std::move(link_);
  delete this;
  --g_running;
}

void TDataThread::Load(TDataManager& manager) {
  std::string id;
  manager.Reset();
  manager.SqlText =
      "select ID from tbl_key where keystr=" + SqlQuoted(EncodeStored(result_->KeyWord));
  auto keys = manager.OpenQuery();
  if (keys->RowCount() > 0) id = keys->TextOrEmptyAt(keys->ColumnIndex("ID"));
  if (link_->Closed()) return;

  manager.Reset();
  manager.SqlText = "select * from tbl_list where keyid=" + id;
  auto rows = manager.OpenQuery();
  ReadRows(*rows);
}

void TDataThread::ReadRows(TSQLiteTable& table) {
  if (table.RowCount() == 0) return;
  TCompanyRowReader reader(table);
  result_->Companies.reserve(table.RowCount());
  for (; !table.AtEnd() && !link_->Closed(); table.Next()) {
    result_->Companies.push_back(reader.Read());
  }
}

}  // namespace zoqa
