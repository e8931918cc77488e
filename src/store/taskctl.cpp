#include "store/taskctl.h"

#include <atomic>

#include "harvest/report/harvestsink.h"

namespace zoqa {
namespace {

std::atomic<std::uint64_t> g_nextSerial{1};

}  // namespace

std::uint64_t TTaskCtl::NextSerial() {
  return g_nextSerial.load();
}

std::shared_ptr<TTaskCtl> TTaskCtl::Create(bool runBaidu, bool runSogou, bool run360,
                                           THarvestSink* windowHandle, const std::string& keyWord) {
  return std::shared_ptr<TTaskCtl>(new TTaskCtl(runBaidu, runSogou, run360, windowHandle, keyWord));
}

TTaskCtl::TTaskCtl(bool runBaidu, bool runSogou, bool run360, THarvestSink* windowHandle,
                   const std::string& keyWord)
    : RunBaidu(runBaidu),
      RunSogou(runSogou),
      Run360(run360),
      KeyWord(keyWord),
      windowHandle_(windowHandle),
      serial_(g_nextSerial.fetch_add(1)) {}

TTaskCtl::~TTaskCtl() {
  Stop();
}

bool TTaskCtl::Has(const std::string& name) const {
  for (const TEngineEntry& entry : engines_) {
    if (entry.first == name) return true;
  }
  return false;
}

void TTaskCtl::Start() {
  if (RunBaidu && !Has("baidu")) StartEngine(egBaidu, "baidu", BaiduStartPage);
  if (RunSogou && !Has("sougou")) StartEngine(egSogou, "sougou", SogouStartPage);
  if (Run360 && !Has("360")) StartEngine(eg360, "360", S360StartPage);
}

void TTaskCtl::StartEngine(TEngine engine, const std::string& name, std::int32_t page) {
  // The end report holds the controller, so a stopped controller still receives it.
  auto self = shared_from_this();
  auto harvester = THarvester::Start(
      engine, windowHandle_->TaskLink(serial_), KeyWord, page,
      [self, engine, name](THarvester& ended) { self->EngineEnded(engine, name, ended); });
  engines_.emplace_back(name, std::move(harvester));
}

void TTaskCtl::Pause(bool hold) {
  for (const TEngineEntry& entry : engines_) entry.second->Hold(hold);
}

void TTaskCtl::Stop() {
  while (!engines_.empty()) {
    engines_.back().second->Terminate();
    engines_.pop_back();
  }
}

void TTaskCtl::EngineEnded(TEngine engine, const std::string& name, THarvester& harvester) {
  for (auto it = engines_.begin(); it != engines_.end(); ++it) {
    // Only the harvester that ended leaves; a newer one of the same engine stays.
    if (it->first == name && it->second.get() == &harvester) {
      engines_.erase(it);
      break;
    }
  }
  if (OnEngineDone) OnEngineDone(*this, engine, harvester.PageIndex(), harvester.KeyWord());
}

}  // namespace zoqa
