#include "harvest/harvester.h"

#include "harvest/baiduharvester.h"
#include "harvest/base/enginesettings.h"
#include "harvest/linkharvester.h"
#include "harvest/net/storehold.h"
#include "harvest/results/verifypage.h"
#include "util/codepage.h"

namespace zoqa {
namespace {

// Guards the crawler registries of every harvester of every engine.
std::mutex& CrawlerRegistryLock() {
  static std::mutex lock;
  return lock;
}

std::atomic<int> g_unreported{0};

// Counts a harvester from its start until its end notification has run or was dropped.
struct TUnreportedCount {
  TUnreportedCount() { g_unreported.fetch_add(1); }
  ~TUnreportedCount() { g_unreported.fetch_sub(1); }
  TUnreportedCount(const TUnreportedCount&) = delete;
  TUnreportedCount& operator=(const TUnreportedCount&) = delete;
};

constexpr int kPageGatePollMs = 100;
constexpr int kCrawlGatePollMs = 50;
constexpr int kHoldPollMs = 50;
// A page that fails the same way this many times in a row is given up.
constexpr int kFailuresPerPage = 3;

}  // namespace

void TCrawlerRegistry::Add(const std::shared_ptr<TSiteCrawler>& crawler) {
  std::lock_guard<std::mutex> lock(CrawlerRegistryLock());
  crawlers_[crawler->ThreadId()] = crawler;
}

void TCrawlerRegistry::Remove(const std::string& threadId) {
  std::lock_guard<std::mutex> lock(CrawlerRegistryLock());
  crawlers_.erase(threadId);
}

void TCrawlerRegistry::StopAll() {
  std::map<std::string, std::shared_ptr<TSiteCrawler>> stopped;
  {
    std::lock_guard<std::mutex> lock(CrawlerRegistryLock());
    for (auto& [id, crawler] : crawlers_) {
      crawler->DetachEndHandler();
      crawler->Terminate();
    }
    stopped.swap(crawlers_);
  }
  // The references go outside the lock: a crawler that has ended is freed here.
}

std::size_t TCrawlerRegistry::Size() {
  std::lock_guard<std::mutex> lock(CrawlerRegistryLock());
  return crawlers_.size();
}

std::shared_ptr<THarvester> THarvester::Start(TEngine engine, std::shared_ptr<THarvestLink> link,
                                              const std::string& keyWord, int startPage,
                                              THarvesterEnd onEnd) {
  std::shared_ptr<THarvester> harvester;
  if (engine == egBaidu) {
    harvester = std::make_shared<TBaiduHarvester>(std::move(link), keyWord, startPage);
  } else if (engine == egSogou) {
    harvester = std::make_shared<TSogouHarvester>(std::move(link), keyWord, startPage);
  } else {
    harvester = std::make_shared<T360Harvester>(std::move(link), keyWord, startPage);
  }
  harvester->onEnd_ = std::move(onEnd);
  harvester->unreported_ = std::make_shared<TUnreportedCount>();
  harvester->StartThread();
  return harvester;
}

THarvester::THarvester(TEngine engine, std::shared_ptr<THarvestLink> link,
                       const std::string& keyWord, int startPage)
    : engine_(engine),
      link_(std::move(link)),
      pageIndex_(startPage),
      registry_(std::make_shared<TCrawlerRegistry>()),
      ledger_(std::make_shared<TPageLedger>(startPage)),
      reportedPages_(startPage),
      pool_(ProxyPool()) {
  info_.KeyWord = keyWord;
  info_.EngineName = EngineName(engine);
}

void THarvester::Execute() {
  while (!Terminated()) {
    if (!WaitPageGate()) return;
    if (!GuardedCycle()) return;
  }
}

bool THarvester::GuardedCycle() {
  if (engine_ == egSogou) return Cycle();
  try {
    bool go = Cycle();
    failuresInRow_ = 0;
    return go;
  } catch (const std::exception& e) {
    return CycleFailed(e.what());
  } catch (...) {
    return CycleFailed("unknown failure");
  }
}

bool THarvester::CycleFailed(const std::string& what) {
  std::string failure = std::to_string(PageIndex()) + ":" + what;
  failuresInRow_ = failure == lastFailure_ ? failuresInRow_ + 1 : 1;
  lastFailure_ = failure;
  std::string page = std::to_string(PageIndex() + 1);
  if (failuresInRow_ < kFailuresPerPage) {
    Status(Cp936("第 ") + page + Cp936(" 页处理出错，稍后重试：") + what);
    return true;
  }
  failuresInRow_ = 0;
  Status(Cp936("第 ") + page + Cp936(" 页连续 ") + std::to_string(kFailuresPerPage) +
         Cp936(" 次出错，已跳过：") + what);
  PageDone();
  return true;
}

int THarvester::Unreported() {
  return g_unreported.load();
}

void THarvester::Finished() {
  slot_.reset();
  if (route_) pool_->Release(route_.Index(), engine_);
  registry_->StopAll();
  // Crawlers still running were stopped without their record: the next run starts at the
  // lowest page that had one.
  pageIndex_.store(ledger_->Frontier());
  auto count = std::move(unreported_);
  if (!onEnd_) return;
  auto self = std::static_pointer_cast<THarvester>(shared_from_this());
  link_->Port().Post([self, count, onEnd = std::move(onEnd_)] { onEnd(*self); });
}

void THarvester::Hold(bool hold) {
  {
    std::lock_guard<std::mutex> lock(holdMutex_);
    held_.store(hold);
  }
  holdChanged_.notify_all();
}

bool THarvester::WaitWhileHeld() {
  std::unique_lock<std::mutex> lock(holdMutex_);
  // A store hold is polled: the store's owner does not know the harvesters.
  while ((held_.load() || TStoreHold::Any()) && !Terminated()) {
    holdChanged_.wait_for(lock, std::chrono::milliseconds(kHoldPollMs));
  }
  return !Terminated();
}

bool THarvester::WaitPageGate() {
  for (;;) {
    if (!WaitWhileHeld()) return false;
    ReportFinishedPages();
    if ((!pool_ || OnUsableProxy()) && Gate().AskPage()) return true;
    if (!Sleep(kPageGatePollMs)) return false;
  }
}

TEngineGate& THarvester::Gate() {
  return route_ ? pool_->Gate(route_.Index(), engine_) : TEngineGate::For(engine_);
}

TProxyRoute THarvester::Route() {
  std::lock_guard<std::mutex> lock(routeMutex_);
  return route_;
}

bool THarvester::OnUsableProxy() {
  if (route_ && pool_->Usable(route_.Index(), engine_)) return true;
  if (route_ && pool_->Benched(route_.Index())) LeaveDeadProxy();
  int index = pool_->Acquire(engine_);
  if (index < 0) {
    // A proxy backing off for this engine only is waited for, as the one address is.
    if (!route_) ProxyNote(Cp936("没有可用的代理，等待中..."));
    return false;
  }
  bool moving = route_ || !proxyNote_.empty();
  if (route_) pool_->Release(route_.Index(), engine_);
  SetRoute(TProxyRoute(pool_, index));
  if (moving) ProxyNote(Cp936("改用代理 ") + route_.Entry().Label());
  return true;
}

void THarvester::LeaveDeadProxy() {
  ProxyNote(Cp936("代理 ") + route_.Entry().Label() + Cp936(" 连接失败，停用 ") +
            std::to_string(pool_->BenchSeconds()) + Cp936(" 秒"));
  pool_->Release(route_.Index(), engine_);
  SetRoute({});
}

void THarvester::SetRoute(const TProxyRoute& route) {
  {
    std::lock_guard<std::mutex> lock(routeMutex_);
    route_ = route;
  }
  if (route_) http_.SetRoute(route_);
}

void THarvester::ProxyNote(const std::string& text) {
  if (text == proxyNote_) return;
  proxyNote_ = text;
  Status(text);
}

bool THarvester::WaitCrawlGate() {
  return WaitCrawlerSlot() && WaitGrant([this] { return Gate().AskCrawl(); });
}

// A slot taken for a crawler that was not started stays with the harvester for the next one.
bool THarvester::WaitCrawlerSlot() {
  return WaitGrant([this] {
    if (!slot_) slot_ = TakeCrawlerSlot();
    return slot_ != nullptr;
  });
}

bool THarvester::WaitGrant(const std::function<bool()>& ask) {
  for (;;) {
    if (!WaitWhileHeld()) return false;
    ReportFinishedPages();
    if (ask()) return true;
    if (!Sleep(kCrawlGatePollMs)) return false;
  }
}

void THarvester::Status(const std::string& text) {
  if (Terminated()) return;
  info_.StatusText = text;
  THarvestMessage message;
  message.Kind = hkStatus;
  message.Info = &info_;
  link_->Send(message);
}

void THarvester::PageDone() {
  if (Terminated()) return;
  ledger_->PageStarted(pageIndex_.fetch_add(1));
  ReportFinishedPages();
}

void THarvester::ReportFinishedPages() {
  int finished = ledger_->Frontier();
  while (reportedPages_ < finished && !Terminated()) {
    info_.PagesDone = ++reportedPages_;
    THarvestMessage message;
    message.Kind = hkPageDone;
    message.Info = &info_;
    link_->Send(message);
  }
}

bool THarvester::VerificationAnswer(const std::string& body, const TPageText& page,
                                    bool hasResults) {
  const std::string& text = page.Cp936().empty() ? body : page.Cp936();
  if (!IsVerificationPage(engine_, http_.LastUrl(), text, hasResults)) return false;
  int seconds = Gate().VerificationPage(EngineSettings()->VerifyBackoffSeconds);
  std::string proxy = route_ ? Cp936("（代理 ") + route_.Entry().Label() + Cp936("）") : "";
  Status(VerificationStatus(engine_, seconds) + proxy);
  return true;
}

void THarvester::RequestFailed() {
  if (http_.ProxyFailed()) ProxyNote(http_.Error());
}

void THarvester::ResultPageArrived() {
  Gate().ResultPage();
  if (route_) pool_->CountPage(route_.Index());
  proxyNote_.clear();
}

void THarvester::AddCrawler(const std::shared_ptr<TSiteCrawler>& crawler) {
  crawler->HoldSlot(std::move(slot_));
  registry_->Add(crawler);
  ledger_->CrawlerStarted(PageIndex());
  if (route_) pool_->CountCrawl(route_.Index());
  try {
    crawler->Launch();
  } catch (...) {
    registry_->Remove(crawler->ThreadId());
    // A crawler that never ran loses its result only; its page may still finish.
    ledger_->CrawlerEnded(PageIndex(), true);
    throw;
  }
}

TSiteCrawler::TEndHandler THarvester::CrawlerEnded() {
  return [registry = registry_, ledger = ledger_, page = PageIndex()](TSiteCrawler& crawler) {
    registry->Remove(crawler.ThreadId());
    ledger->CrawlerEnded(page, crawler.Complete());
  };
}

}  // namespace zoqa
