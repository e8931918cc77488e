// The result grid: cells computed from the records (badges, cut names, list cells), the
// detail window on double-click, deleting a company, companies arriving while on show, and
// the time a keyword of 100,000 companies takes to appear.
#include <QClipboard>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMenu>
#include <QToolTip>

#include <cstdio>

#include "gui/companydetailwindow.h"
#include "gui/loadingoverlay.h"
#include "gui/resultmodel.h"
#include "guifixture.h"
#include "harvest/report/harvestsink.h"
#include "support/storeseed.h"

namespace zoqa::test {
namespace {

using Grid = GuiTest;

using Strings = std::vector<std::string>;

std::string U8(const std::string& cp936) {
  return Cp936ToUtf8(cp936);
}

TEST(ResultCells, NamesAreTrimmedAndCutAt34BytesWithoutSplittingACharacter) {
  TCompany c;
  c.SetName("  " + std::string(34, 'a') + "  ");
  EXPECT_EQ(TResultModel::NameCell(c), std::string(34, 'a'));
  c.SetName(std::string(35, 'a'));
  EXPECT_EQ(TResultModel::NameCell(c), std::string(34, 'a') + "...");
  // 33 single bytes, then a Chinese character whose first byte is byte 34.
  c.SetName(std::string(33, 'a') + Cp936("公司"));
  EXPECT_EQ(TResultModel::NameCell(c), std::string(33, 'a') + "...");
  // A name of 16 characters (32 bytes) and one more: cut after 17 characters.
  c.SetName(Cp936("广州市天河区星辰电子科技有限公司分部"));
  EXPECT_EQ(U8(TResultModel::NameCell(c)), "广州市天河区星辰电子科技有限公司分...");
  c.SetName("");
  EXPECT_EQ(TResultModel::NameCell(c), "");
}

TEST(ResultCells, ListCellsKeepCarriageReturnsAndCutMobilesAt26Bytes) {
  TCompany c;
  c.AddMobile("13800138000");
  c.AddMobile("13922200011");
  EXPECT_EQ(TResultModel::MobileCell(c), "13800138000\r 13922200011\r ");  // exactly 26 bytes
  c.AddMobile("13711112222");
  EXPECT_EQ(TResultModel::MobileCell(c), "13800138000\r 13922200011\r ...");
  c.AddQQ("12345");
  c.AddQQ("67890");
  EXPECT_EQ(TResultModel::QQCell(c), "12345\r 67890\r ");
  c.AddEmail("a@b.cn");
  EXPECT_EQ(TResultModel::EmailCell(c), "a@b.cn\r ");
  c.Source = Cp936(" 搜狗 ");
  EXPECT_EQ(U8(TResultModel::SourceCell(c)), "搜狗");
}

TEST(ResultCells, BadgeShowsPaidBeforeCertified) {
  TCompany c;
  EXPECT_EQ(TResultModel::BadgeKind(c), 2);
  c.RenZheng = 1;
  EXPECT_EQ(TResultModel::BadgeKind(c), 1);
  c.IsPay = 1;
  EXPECT_EQ(TResultModel::BadgeKind(c), 0);
}

// Companies in memory handed out as a store would, in the order of `rows` (by name, ties by
// list id, whatever the order asked for), counting the cursors opened, the rows read through
// them and the rows walked to get there. A row's key is its name and list id.
class TCountingSource : public TCompanySource {
 public:
  std::vector<TCompany> rows;
  int opened = 0;
  int read = 0;
  std::int64_t walked = 0;

  static TRowKey KeyOf(const TCompany& company) {
    return TRowKey{company.ComName, std::stoll(company.ListId)};
  }
  // The place a row of `key` has or would have.
  std::size_t Place(const TRowKey& key) const {
    auto at = std::partition_point(rows.begin(), rows.end(), [&](const TCompany& row) {
      return CompareRowKeys({TSortColumn::kName, false}, KeyOf(row), key) < 0;
    });
    return static_cast<std::size_t>(at - rows.begin());
  }

  std::int64_t CountCompanies(const std::string&) override {
    return static_cast<std::int64_t>(rows.size());
  }
  std::unique_ptr<TCompanyCursor> OpenCompanies(const std::string&, TSortOrder order,
                                                std::int64_t offset) override {
    return Open(order.descending, offset, offset);
  }
  std::unique_ptr<TCompanyCursor> OpenCompaniesAfter(const std::string&, TSortOrder order,
                                                     const TRowKey& after,
                                                     std::int64_t offset) override {
    auto size = static_cast<std::int64_t>(rows.size());
    auto at = static_cast<std::int64_t>(Place(after));
    return Open(order.descending, offset + (order.descending ? size - at : at + 1), offset);
  }
  bool RowKey(const std::string&, TSortOrder, std::int64_t listId, TRowKey& key) override {
    for (const TCompany& row : rows) {
      if (row.ListId == std::to_string(listId)) key = KeyOf(row);
    }
    return key.listId == listId;
  }

 private:
  // A cursor from place `start` of the order, having walked over `skipped` rows to get there.
  std::unique_ptr<TCompanyCursor> Open(bool descending, std::int64_t start, std::int64_t skipped) {
    ++opened;
    walked += skipped;
    return std::make_unique<Cursor>(*this, descending, start);
  }

  class Cursor : public TCompanyCursor {
   public:
    Cursor(TCountingSource& source, bool descending, std::int64_t skip)
        : source_(source), descending_(descending), skip_(skip) {}
    bool Next(TCompany& company) override {
      auto size = static_cast<std::int64_t>(source_.rows.size());
      if (skip_ >= size) return false;
      at_ = descending_ ? size - 1 - skip_ : skip_;
      ++skip_;
      ++source_.read;
      ++source_.walked;
      company = source_.rows[static_cast<std::size_t>(at_)];
      return true;
    }
    bool Key(TRowKey& key) const override {
      const TCompany& row = source_.rows[static_cast<std::size_t>(at_)];
      if (row.ListId.empty()) return false;
      key = KeyOf(row);
      return true;
    }

   private:
    TCountingSource& source_;
    bool descending_;
    std::int64_t skip_;
    std::int64_t at_ = -1;
  };
};

TEST(ResultCells, ModelServesCellsOnDemandAndNothingOutsideItsRows) {
  TCountingSource source;
  TCompany& company = source.rows.emplace_back();
  company.SetName(Cp936("甲公司"));
  company.AddMobile("13800138000");
  company.AddMobile("13900139000");
  company.IsPay = 1;
  TResultModel model;
  model.Show(source, "k");
  ASSERT_EQ(model.rowCount(), 1);
  ASSERT_EQ(model.columnCount(), 6);
  QModelIndex mobile = model.index(0, TResultModel::colMobile);
  EXPECT_EQ(model.data(mobile, TResultModel::kCellTextRole).toString(),
            Q("13800138000\r 13900139000\r "));
  EXPECT_EQ(model.data(mobile, Qt::DisplayRole).toString(), Q("13800138000 13900139000 "));
  EXPECT_EQ(model.data(model.index(0, TResultModel::colName), Qt::DisplayRole).toString(),
            Q("甲公司"));
  QPixmap badge = model.data(model.index(0, 0), Qt::DecorationRole).value<QPixmap>();
  EXPECT_EQ(badge.deviceIndependentSize().toSize(), QSize(24, 16));
  EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), Q("公司名"));
  EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::ToolTipRole).toString(),
            Q("带图标的为推广用户"));
  EXPECT_EQ(model.Record(1), nullptr);
  EXPECT_EQ(model.Record(-1), nullptr);
  model.Clear();
  EXPECT_EQ(model.rowCount(), 0);
}

// The model knows the count at once and reads only the blocks of the rows asked for, each
// through a cursor of its own, starting near rows it has read or near either end; a new
// company makes the rows be read again.
TEST(ResultCells, ModelReadsOnlyTheRowsItIsAskedFor) {
  TCountingSource source;
  for (int i = 0; i < 100000; ++i) source.rows.emplace_back().ListId = std::to_string(i);
  TResultModel model;
  model.Show(source, "k");
  EXPECT_EQ(model.rowCount(), 100000);
  EXPECT_EQ(source.read, 0);
  constexpr int kBlock = TResultModel::kBlockRows;
  for (int row = 0; row < 2 * kBlock + 10; ++row)
    ASSERT_EQ(model.Record(row)->ListId, std::to_string(row));
  EXPECT_EQ(source.read, 3 * kBlock);
  EXPECT_EQ(source.opened, 3);
  ASSERT_EQ(model.Record(kBlock + 5)->ListId, std::to_string(kBlock + 5));  // still kept
  EXPECT_EQ(source.read, 3 * kBlock);
  EXPECT_EQ(source.walked, 3 * kBlock);
  ASSERT_EQ(model.Record(70000)->ListId, "70000");  // read back from the end
  EXPECT_EQ(source.opened, 4);
  EXPECT_EQ(source.read, 4 * kBlock);
  EXPECT_LT(source.walked, 3 * kBlock + 30000 + kBlock);
  std::int64_t walked = source.walked;
  ASSERT_EQ(model.Record(70000 + kBlock)->ListId, std::to_string(70000 + kBlock));
  EXPECT_EQ(source.walked, walked + kBlock);  // on from the block before
  ASSERT_EQ(model.Record(70000 - 4 * kBlock)->ListId, std::to_string(70000 - 4 * kBlock));
  EXPECT_LE(source.walked, walked + 5 * kBlock);  // back from the first key after it
  for (int row = 70000 - 5 * kBlock; row < 70000 + 3 * kBlock; row += 97)
    ASSERT_EQ(model.Record(row)->ListId, std::to_string(row));

  source.rows.emplace_back().ListId = "100000";
  model.Append(source.rows.back());
  EXPECT_EQ(model.rowCount(), 100001);
  EXPECT_EQ(model.Record(100000)->ListId, "100000");
  walked = source.walked;
  ASSERT_EQ(model.Record(99999)->ListId, "99999");
  EXPECT_EQ(source.walked, walked);  // the same block
}

// Companies stored and deleted here while a deep block is kept: the keys move with the rows,
// so reading near the block walks few rows, and every row shows what the store holds there.
TEST(ResultCells, ModelKeepsItsKeysInPlaceAsCompaniesComeAndGo) {
  constexpr int kBlock = TResultModel::kBlockRows;
  constexpr int kDeep = 30000;
  for (Qt::SortOrder direction : {Qt::AscendingOrder, Qt::DescendingOrder}) {
    TCountingSource source;
    auto name = [](int i) { return "n" + std::to_string(100000 + i); };
    for (int i = 0; i < 50000; ++i) {
      TCompany& row = source.rows.emplace_back();
      row.ComName = name(2 * i);
      row.ListId = std::to_string(i + 1);
    }
    TResultModel model;
    model.Show(source, "k");
    model.sort(TResultModel::colName, direction);
    auto shown = [&](int row) {  // the store's row at `row` of the grid's order
      auto size = static_cast<int>(source.rows.size());
      return source
          .rows[static_cast<std::size_t>(direction == Qt::AscendingOrder ? row : size - 1 - row)];
    };
    auto same = [&](int from, int to) {
      for (int row = from; row < to; ++row) {
        const TCompany* record = model.Record(row);
        if (record == nullptr || record->ListId != shown(row).ListId) return row;
      }
      return -1;
    };
    ASSERT_EQ(same(kDeep, kDeep + 2 * kBlock), -1);
    int next = 60000;
    auto store = [&](int i) {
      TCompany company;
      company.ComName = name(i);
      company.ListId = std::to_string(next++);
      source.rows.insert(source.rows.begin() + static_cast<std::ptrdiff_t>(
                                                   source.Place(TCountingSource::KeyOf(company))),
                         company);
      model.Append(company);
    };
    // Before, inside and after the kept rows; one with a name held already goes after it.
    const int at = 2 * (direction == Qt::AscendingOrder ? kDeep : 49999 - kDeep);
    for (int i : {1, at + 21, at + 22, at + 6 * kBlock + 1, at - 6 * kBlock - 1, 99999}) store(i);
    EXPECT_EQ(model.rowCount(), static_cast<int>(source.rows.size()));
    std::int64_t walked = source.walked;
    EXPECT_EQ(same(kDeep - kBlock, kDeep + 3 * kBlock), -1) << direction;
    EXPECT_LT(source.walked - walked, 8 * kBlock);

    // A row deleted here: it goes, and the rows after it move up.
    const int gone = kDeep + 40;
    const std::string id = model.Record(gone)->ListId;
    source.rows.erase(
        source.rows.begin() +
        (direction == Qt::AscendingOrder ? gone : static_cast<int>(source.rows.size()) - 1 - gone));
    ASSERT_TRUE(model.Remove(id));
    EXPECT_FALSE(model.Remove(id));  // not held any more: nothing changes
    walked = source.walked;
    EXPECT_EQ(same(kDeep - 2 * kBlock, kDeep + 4 * kBlock), -1) << direction;
    EXPECT_LT(source.walked - walked, 10 * kBlock);
    EXPECT_EQ(model.rowCount(), static_cast<int>(source.rows.size()));
    EXPECT_EQ(same(0, 10), -1);
    EXPECT_EQ(same(model.rowCount() - 10, model.rowCount()), -1);
  }
}

TEST_F(Grid, DoubleClickOpensOneDetailWindowThatLaterDoubleClicksRefill) {
  Seed({{"广州 电子公司", {"甲公司", "乙公司"}}});
  Open();
  TResultGrid* grid = window->Grid();
  // No row selected: nothing opens.
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(100, 300));
  EXPECT_EQ(window->DetailWindow(), nullptr);

  ClickItem("广州 电子公司");
  ASSERT_TRUE(WaitRows(2));
  QPoint row0 = grid->visualRect(grid->model()->index(0, 1)).center();
  QPoint row1 = grid->visualRect(grid->model()->index(1, 1)).center();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row0);
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, row0);
  TCompanyDetailWindow* detail = window->DetailWindow();
  ASSERT_NE(detail, nullptr);
  EXPECT_TRUE(detail->isVisible());
  EXPECT_EQ(detail->NameLabel()->text(), Q("甲公司"));

  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row1);
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, row1);
  EXPECT_EQ(window->DetailWindow(), detail);
  EXPECT_EQ(detail->NameLabel()->text(), Q("乙公司"));

  QTest::mouseClick(detail->CloseButton(), Qt::LeftButton);
  EXPECT_TRUE(PumpUntil([&] { return window->DetailWindow() == nullptr; }, 5000));
}

TEST_F(Grid, DeleteMenuRemovesTheCompanyAfterTheQuestion) {
  Seed({{"广州 电子公司", {"甲公司", "乙公司"}}});
  Open();
  ClickItem("广州 电子公司");
  ASSERT_TRUE(WaitRows(2));
  TResultGrid* grid = window->Grid();
  QAction* remove = grid->DeleteMenu().actions().front();
  EXPECT_EQ(remove->text(), Q("删除"));
  remove->trigger();  // nothing selected
  EXPECT_TRUE(box.shown.empty());

  grid->selectRow(0);
  box.answers = {kMsgCancel};
  remove->trigger();
  EXPECT_EQ(box.Last(), "确定要删除 [甲公司]？");
  EXPECT_EQ(window->GridRowCount(), 2);

  remove->trigger();
  ASSERT_TRUE(WaitRows(1));
  EXPECT_EQ(window->RecordCountLabel()->text(), Q("共 1 条记录"));
  EXPECT_EQ(Item("广州 电子公司")->CountText(), Q("1条"));

  // The last one: the grid empties and, after the reload, counts 0.
  grid->selectRow(0);
  remove->trigger();
  ASSERT_TRUE(PumpUntil([&] {
    return window->RecordCountLabel()->text() == Q("共 0 条记录") &&
           !window->Overlay()->isVisible();
  }));
  EXPECT_EQ(window->GridRowCount(), 0);
}

TEST_F(Grid, CompaniesArriveAsRowsOnlyForTheKeywordOnShow) {
  Seed({{"广州 电子公司", {"甲公司"}}, {"上海 网络公司", {}}});
  Open();
  ClickItem("广州 电子公司");
  ASSERT_TRUE(WaitRows(1));
  auto report = [&](const std::string& keyword, const std::string& name) {
    TCompany company = MakeCompany(keyword, name, "13912345678");
    THarvestMessage m;
    m.Kind = hkCompany;
    m.Company = &company;
    window->Controller().HarvestMessage(m);
  };
  // A name with the engine's highlighting shows without it, in the tip as in the grid.
  report("广州 电子公司", "新<em>公司</em>");
  EXPECT_EQ(window->GridRowCount(), 2);
  EXPECT_EQ(window->RecordCountLabel()->text(), Q("共 2 条记录"));
  EXPECT_EQ(Panel().TipText()->text(), Q("获取[新公司]成功！"));
  EXPECT_EQ(window->Grid()->Model().index(1, TResultModel::colName).data().toString(), Q("新公司"));
  EXPECT_EQ(window->TotalLabel()->text(), Q("当前已采集记录：2条"));
  report("上海 网络公司", "别家公司");
  EXPECT_EQ(window->GridRowCount(), 2);
  EXPECT_EQ(Panel().TipText()->text(), Q("获取[新公司]成功！"));
  EXPECT_EQ(Item("上海 网络公司")->CountText(), Q("1条"));

  std::string crawl = Cp936("正在访问 www.example.cn");
  THarvestMessage status;
  status.Kind = hkCrawlStatus;
  status.Text = &crawl;
  window->Controller().HarvestMessage(status);
  EXPECT_EQ(window->StatusLabel()->text(), Q("正在访问 www.example.cn"));
}

// Cells too narrow for their value show it whole in a tooltip (lists one entry per line, the
// badges what they mean); spare width goes to the name and e-mail columns; a header click
// sorts, and companies arriving later take their place in that order.
TEST_F(Grid, CellsColumnsAndSortingKeepTheDataReadable) {
  Seed({{"广州 电子公司", {"乙公司", "甲公司", "丙公司"}}});
  Open();
  ClickItem("广州 电子公司");
  ASSERT_TRUE(WaitRows(3));
  TResultGrid* grid = window->Grid();
  using M = TResultModel;
  window->resize(1600, 800);
  ASSERT_TRUE(PumpUntil([&] { return grid->columnWidth(M::colName) > 231; }, 5000));
  EXPECT_GT(grid->columnWidth(M::colEmail), 142);
  EXPECT_EQ(grid->columnWidth(M::colMobile), 175);
  EXPECT_EQ(grid->columnWidth(M::colSource), 40);

  auto names = [&] {
    Strings shown;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
      shown.push_back(grid->model()->index(r, M::colName).data().toString().toStdString());
    return shown;
  };
  QHeaderView* header = grid->horizontalHeader();
  QPoint nameHeader(header->sectionViewportPosition(M::colName) + 20, header->height() / 2);
  // The store sorts the names as it holds them, by their characters' code points.
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, nameHeader);
  EXPECT_EQ(names(), (Strings{"丙公司", "乙公司", "甲公司"}));
  TCompany late = MakeCompany("广州 电子公司", "丁公司", "13912345678");
  late.AddMobile("13912345679");
  late.IsPay = 1;
  THarvestMessage m;
  m.Kind = hkCompany;
  m.Company = &late;
  window->Controller().HarvestMessage(m);
  EXPECT_EQ(names(), (Strings{"丁公司", "丙公司", "乙公司", "甲公司"}));
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, nameHeader);
  EXPECT_EQ(names(), (Strings{"甲公司", "乙公司", "丙公司", "丁公司"}));

  QModelIndex mobiles = grid->model()->index(3, M::colMobile);
  EXPECT_EQ(mobiles.data(Qt::ToolTipRole).toString(), Q("13912345678\n13912345679"));
  EXPECT_EQ(grid->model()->index(3, M::colBadge).data(Qt::ToolTipRole).toString(),
            Q("推广：从付费推广链接找到的企业"));
  auto tipAt = [&](const QModelIndex& index) {
    QToolTip::hideText();
    QPoint at = grid->visualRect(index).center();
    QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
  };
  QModelIndex name = grid->model()->index(0, M::colName);
  EXPECT_EQ(tipAt(name), QString());  // it fits
  grid->setColumnWidth(M::colName, 30);
  EXPECT_EQ(tipAt(name), Q("甲公司"));
  grid->setColumnWidth(M::colMobile, 60);
  EXPECT_EQ(tipAt(mobiles), Q("13912345678\n13912345679"));

  // Ctrl+C copies the cell's whole value without the blank after its last entry.
  grid->setFocus();
  grid->setCurrentIndex(mobiles);
  QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), Q("13912345678 13912345679"));
  grid->setCurrentIndex(name);
  QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), Q("甲公司"));
}

// Selecting a keyword of 100,000 companies: the rows show within a second of the load's end.
TEST_F(Grid, HundredThousandCompaniesShowWithinASecondOfTheLoad) {
  constexpr int kCount = 100000;
  SeedGeneratedKeyword(kCount);
  Open();
  QElapsedTimer clock;
  qint64 loadEnded = -1;
  // The overlay goes the moment the loaded companies are handed to the window.
  struct Watch : QObject {
    QElapsedTimer* clock;
    qint64* at;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Hide && *at < 0) *at = clock->elapsed();
      return false;
    }
  } watch;
  watch.clock = &clock;
  watch.at = &loadEnded;
  window->Overlay()->installEventFilter(&watch);

  clock.start();
  ClickItem("k");
  ASSERT_TRUE(PumpUntil([&] { return window->GridRowCount() == kCount; }, 60000));
  window->Grid()->viewport()->repaint();
  qint64 shown = clock.elapsed();
  ASSERT_GE(loadEnded, 0);
  std::fprintf(stderr,
               "[figure] 100000 companies: click to rows painted %lld ms, load end to "
               "rows painted %lld ms\n",
               static_cast<long long>(shown), static_cast<long long>(shown - loadEnded));
  EXPECT_LT(shown - loadEnded, 1000);
  EXPECT_EQ(window->RecordCountLabel()->text(), Q("共 100000 条记录"));

  // Scrolling to the end draws from the records directly.
  window->Grid()->scrollToBottom();
  window->Grid()->viewport()->repaint();
  EXPECT_EQ(window->Grid()->model()->index(kCount - 1, 1).data().toString(),
            Q("广州市天河区某某电子科技有限公司10..."));
}

}  // namespace
}  // namespace zoqa::test
