// The page ledger: a page is finished once all its crawlers were started and ended with their
// record; the frontier is the lowest page that is not.
#include "harvest/pageledger.h"

#include <gtest/gtest.h>

namespace zoqa::test {
namespace {

TEST(PageLedgerTest, PagesFinishInOrderOnceTheirCrawlersEnded) {
  TPageLedger ledger(4);
  EXPECT_EQ(ledger.Frontier(), 4);
  ledger.CrawlerStarted(4);
  ledger.CrawlerStarted(4);
  ledger.PageStarted(4);
  ledger.PageStarted(5);  // a page without results
  ledger.CrawlerStarted(6);
  EXPECT_EQ(ledger.Frontier(), 4);  // page 4 still has crawlers
  ledger.CrawlerEnded(4, true);
  ledger.CrawlerEnded(6, true);
  EXPECT_EQ(ledger.Frontier(), 4);
  ledger.CrawlerEnded(4, true);
  EXPECT_EQ(ledger.Frontier(), 6);  // page 6 was not fully started yet
  ledger.PageStarted(6);
  EXPECT_EQ(ledger.Frontier(), 7);
}

TEST(PageLedgerTest, ACrawlerCutShortKeepsItsPageUnfinished) {
  TPageLedger ledger(0);
  ledger.CrawlerStarted(0);
  ledger.PageStarted(0);
  ledger.CrawlerStarted(1);
  ledger.PageStarted(1);
  ledger.CrawlerEnded(1, true);
  ledger.CrawlerEnded(0, false);
  EXPECT_EQ(ledger.Frontier(), 0);
}

}  // namespace
}  // namespace zoqa::test
