// The task controller of one keyword: one harvester per selected engine, each starting at the
// page where that engine stopped last time, paused, resumed and stopped together. Every
// operation and every end report runs on the main thread. A controller lives as long as
// anybody holds it or one of its harvesters has not yet reported its end, so a stopped and
// detached controller still receives those reports.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "harvest/base/engine.h"
#include "harvest/harvester.h"

namespace zoqa {

class THarvestSink;

class TTaskCtl : public std::enable_shared_from_this<TTaskCtl> {
 public:
  using EngineDoneEvent =
      std::function<void(TTaskCtl&, int engine, std::int32_t page, const std::string& keyWord)>;
  using TEngineEntry = std::pair<std::string, std::shared_ptr<THarvester>>;

  static std::shared_ptr<TTaskCtl> Create(bool runBaidu, bool runSogou, bool run360,
                                          THarvestSink* windowHandle, const std::string& keyWord);
  ~TTaskCtl();
  TTaskCtl(const TTaskCtl&) = delete;
  TTaskCtl& operator=(const TTaskCtl&) = delete;

  bool RunBaidu;
  bool RunSogou;
  bool Run360;
  std::int32_t BaiduStartPage = 0;
  std::int32_t SogouStartPage = 0;
  std::int32_t S360StartPage = 0;
  std::string KeyWord;
  EngineDoneEvent OnEngineDone;

  // Starts the selected engines that have no running harvester.
  void Start();
  // Holds (true) or lets go (false) every running harvester.
  void Pause(bool hold);
  // Tells every running harvester to end and forgets it; their end reports still come.
  void Stop();
  bool HasRunning() const { return !engines_.empty(); }
  // Numbers controllers in creation order, from 1; their harvesters' and crawlers' reports
  // carry it (THarvestMessage::Task).
  std::uint64_t Serial() const { return serial_; }
  // The serial the next controller will get: every controller made so far has a lower one.
  static std::uint64_t NextSerial();
  // The running harvesters, in start order: "baidu", "sougou" or "360".
  const std::vector<TEngineEntry>& Engines() const { return engines_; }

 private:
  TTaskCtl(bool runBaidu, bool runSogou, bool run360, THarvestSink* windowHandle,
           const std::string& keyWord);
  bool Has(const std::string& name) const;
  void StartEngine(TEngine engine, const std::string& name, std::int32_t page);
  void EngineEnded(TEngine engine, const std::string& name, THarvester& harvester);

  THarvestSink* windowHandle_;
  std::uint64_t serial_;
  std::vector<TEngineEntry> engines_;
};

}  // namespace zoqa
