#include "support/harvestrecorder.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include "harvest/net/enginegate.h"
#include "util/codepage.h"

namespace zoqa::test {

void EnsureHarvestApp() {
  static int argc = 1;
  static char name[] = "test_harvest";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

void PumpEvents(int ms) {
  QElapsedTimer timer;
  timer.start();
  do {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  } while (timer.elapsed() < ms);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() >= timeoutMs) return done();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

TRecordingSink::TRecordingSink() = default;

TRecordingSink::~TRecordingSink() {
  CloseLink();
}

void TRecordingSink::HarvestMessage(const THarvestMessage& message) {
  TRecordedReport r;
  r.Kind = message.Kind;
  r.AtMs = TickMs();
  if (message.Company != nullptr) {
    r.Company.Assign(*message.Company);
    r.Company.KeyWord = message.Company->KeyWord;
  }
  if (message.Info != nullptr) r.Info = *message.Info;
  if (message.Text != nullptr) r.Text = *message.Text;
  reports_.push_back(std::move(r));
}

std::vector<TRecordedReport> TRecordingSink::Reports(THarvestKind kind) const {
  std::vector<TRecordedReport> out;
  for (const auto& r : reports_) {
    if (r.Kind == kind) out.push_back(r);
  }
  return out;
}

int TRecordingSink::Count(THarvestKind kind) const {
  int n = 0;
  for (const auto& r : reports_) n += r.Kind == kind ? 1 : 0;
  return n;
}

std::vector<std::string> TRecordingSink::Statuses() const {
  std::vector<std::string> out;
  for (const auto& r : reports_) {
    if (r.Kind == hkStatus) out.push_back(Cp936ToUtf8(r.Info.StatusText));
  }
  return out;
}

std::vector<std::string> TRecordingSink::CrawlStatuses() const {
  std::vector<std::string> out;
  for (const auto& r : reports_) {
    if (r.Kind == hkCrawlStatus) out.push_back(Cp936ToUtf8(r.Text));
  }
  return out;
}

std::vector<TCompany> TRecordingSink::Companies() const {
  std::vector<TCompany> out;
  for (const auto& r : reports_) {
    if (r.Kind == hkCompany) out.push_back(r.Company);
  }
  return out;
}

const TCompany* TRecordingSink::Company(const std::string& nameUtf8) const {
  std::string name = Utf8ToCp936(nameUtf8);
  for (const auto& r : reports_) {
    if (r.Kind == hkCompany && r.Company.ComName == name) return &r.Company;
  }
  return nullptr;
}

std::vector<int> TRecordingSink::PagesDone() const {
  std::vector<int> out;
  for (const auto& r : reports_) {
    if (r.Kind == hkPageDone) out.push_back(r.Info.PagesDone);
  }
  return out;
}

THarvesterEnd TRecordingSink::EndHandler() {
  return [this](THarvester& harvester) {
    ends_.push_back({harvester.Engine(), harvester.KeyWord(), harvester.PageIndex(), TickMs()});
  };
}

void TRecordingSink::Clear() {
  reports_.clear();
  ends_.clear();
}

}  // namespace zoqa::test
