#include "store/datathread.h"

#include <atomic>
#include <thread>

namespace zoqa {
namespace {

std::atomic<int> g_running{0};

}  // namespace

void TDataThread::Start(std::string keyWord, const TStoreBackend& backend, std::uint64_t serial,
                        std::shared_ptr<TLoaderLink> link) {
  auto* thread = new TDataThread(std::move(keyWord), backend.Reopener(), serial, std::move(link));
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

TDataThread::TDataThread(std::string keyWord, TStoreBackend::Opener open, std::uint64_t serial,
                         std::shared_ptr<TLoaderLink> link)
    : link_(std::move(link)), open_(std::move(open)), result_(std::make_shared<TLoadResult>()) {
  result_->KeyWord = std::move(keyWord);
  result_->Serial = serial;
}

void TDataThread::Run() {
  // A failure ends the load where it happened; what was read so far is handed over.
  try {
    std::unique_ptr<TStoreBackend> loader = open_();
    link_->Register(loader.get());
    try {
      loader->ReadCompanies(result_->KeyWord, [this](std::unique_ptr<TCompany> company) {
        if (link_->Closed()) return false;
        result_->Companies.push_back(std::move(company));
        return true;
      });
    } catch (...) {
    }
    link_->Unregister(loader.get());
  } catch (...) {
  }
  link_->Deliver(std::move(result_));
  auto link = std::move(link_);
  delete this;
  --g_running;
}

}  // namespace zoqa
