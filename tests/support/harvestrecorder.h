// A harvesting sink for tests: keeps a copy of every report with its arrival time, and pumps
// the Qt event loop (which delivers the reports) until a condition holds.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "harvest/harvester.h"
#include "harvest/report/company.h"
#include "harvest/report/harvestprogress.h"
#include "harvest/report/harvestsink.h"

namespace zoqa::test {

// The application object that the sink's hand-offs need; made once per process.
void EnsureHarvestApp();

// Delivers pending main-thread calls for about `ms` milliseconds.
void PumpEvents(int ms = 0);

// Pumps until `done` holds or `timeoutMs` passed; returns done().
bool PumpUntil(const std::function<bool()>& done, int timeoutMs);

struct TRecordedReport {
  THarvestKind Kind = hkStatus;
  TCompany Company;       // hkCompany
  THarvestProgress Info;  // hkStatus, hkPageDone
  std::string Text;       // hkCrawlStatus (code page 936)
  std::int64_t AtMs = 0;
};

// The end of a harvester as its end notification saw it.
struct TRecordedEnd {
  TEngine Engine = egBaidu;
  std::string KeyWord;
  int PageIndex = 0;
  std::int64_t AtMs = 0;
};

// Lives on the main thread; all of its methods are for that thread.
class TRecordingSink : public THarvestSink {
 public:
  TRecordingSink();
  ~TRecordingSink() override;

  void HarvestMessage(const THarvestMessage& message) override;

  const std::vector<TRecordedReport>& Reports() const { return reports_; }
  std::vector<TRecordedReport> Reports(THarvestKind kind) const;
  int Count(THarvestKind kind) const;
  // Harvester status lines (hkStatus) and crawler status lines (hkCrawlStatus), in UTF-8.
  std::vector<std::string> Statuses() const;
  std::vector<std::string> CrawlStatuses() const;
  std::vector<TCompany> Companies() const;
  // The company whose name (UTF-8) is `nameUtf8`, or nullptr.
  const TCompany* Company(const std::string& nameUtf8) const;
  // PagesDone of every hkPageDone, in order.
  std::vector<int> PagesDone() const;

  // An end notification for THarvester::Start that records the end here.
  THarvesterEnd EndHandler();
  const std::vector<TRecordedEnd>& Ends() const { return ends_; }

  void Clear();

 private:
  std::vector<TRecordedReport> reports_;
  std::vector<TRecordedEnd> ends_;
};

}  // namespace zoqa::test
