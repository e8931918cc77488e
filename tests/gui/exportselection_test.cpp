// The export field selection window's boxes and links, and the export it starts from the
// main window: save dialog, overwrite question, the file and the closing messages.
#include <QCheckBox>
#include <QFile>
#include <QRadioButton>
#include <QStandardPaths>

#include "gui/exportselectiondialog.h"
#include "gui/loadingoverlay.h"
#include "guifixture.h"
#include "support/testsupport.h"

namespace zoqa::test {
namespace {

using Dlg = TExportSelectionDialog;

std::vector<bool> States(const Dlg& d) {
  std::vector<bool> states;
  for (int b = 0; b < Dlg::bxCount; ++b)
    states.push_back(d.Box(static_cast<Dlg::TBox>(b))->isChecked());
  return states;
}

TEST(ExportSelection, OpensWithTheClassicColumnsChecked) {
  Dlg d(Cp936("广州 电子公司"));
  EXPECT_EQ(d.windowTitle(), Q("导出字段选择"));
  EXPECT_EQ(d.size(), QSize(250, 284));
  EXPECT_EQ(States(d),
            (std::vector<bool>{true, true, true, true, false, true, false, false, true}));
  d.show();
  EXPECT_TRUE(d.Box(Dlg::bxAddress)->isVisible());
  EXPECT_EQ(d.Box(Dlg::bxTel)->text(), Q("电话"));
}

TEST(ExportSelection, FormatIsAPairOfRadioButtons) {
  Dlg d("k");
  d.show();
  EXPECT_NE(qobject_cast<QRadioButton*>(d.Box(Dlg::bxText)), nullptr);
  EXPECT_NE(qobject_cast<QCheckBox*>(d.Box(Dlg::bxUrl)), nullptr);
  QTest::mouseClick(d.Box(Dlg::bxText), Qt::LeftButton, {}, QPoint(6, 8));
  EXPECT_TRUE(d.Box(Dlg::bxText)->isChecked());
  EXPECT_FALSE(d.Box(Dlg::bxExcel)->isChecked());
  QTest::mouseClick(d.Box(Dlg::bxExcel), Qt::LeftButton, {}, QPoint(6, 8));
  EXPECT_FALSE(d.Box(Dlg::bxText)->isChecked());
  EXPECT_TRUE(d.Box(Dlg::bxExcel)->isChecked());
  // A second click keeps the choice: one format is always chosen.
  QTest::mouseClick(d.Box(Dlg::bxExcel), Qt::LeftButton, {}, QPoint(6, 8));
  EXPECT_TRUE(d.Box(Dlg::bxExcel)->isChecked());
}

TEST(ExportSelection, QuickLinksSetAllNineBoxes) {
  Dlg d("k");
  d.show();
  using V = std::vector<bool>;
  //                       name   QQ     mobile email  addr   url    tel    txt    excel
  const V qq{false, true, false, false, false, false, false, true, false};
  const V mobile{false, false, true, false, false, false, false, true, false};
  const V email{false, false, false, true, false, false, false, true, false};
  const V all{true, true, true, true, true, true, true, false, true};
  QTest::mouseClick(d.Link(Dlg::qpQQ), Qt::LeftButton);
  EXPECT_EQ(States(d), qq);
  QTest::mouseClick(d.Link(Dlg::qpAll), Qt::LeftButton);
  EXPECT_EQ(States(d), all);
  QTest::mouseClick(d.Link(Dlg::qpMobile), Qt::LeftButton);
  EXPECT_EQ(States(d), mobile);
  QTest::mouseClick(d.Link(Dlg::qpEmail), Qt::LeftButton);
  EXPECT_EQ(States(d), email);
  EXPECT_EQ(d.Link(Dlg::qpMobile)->text(), Q("手机"));
  EXPECT_TRUE(d.Link(Dlg::qpMobile)->font().underline());
}

TEST(ExportSelection, OkHandsOverTheChoiceAndCancelDoesNot) {
  auto* d = new Dlg(Cp936("广州 电子公司"));
  QPointer<Dlg> alive(d);
  d->show();
  QTest::mouseClick(d->Link(Dlg::qpAll), Qt::LeftButton);
  int calls = 0;
  TExportFields got;
  bool gotText = true;
  QObject::connect(d, &Dlg::ExportChosen,
                   [&](const std::string& keyword, const TExportFields& f, bool asText) {
                     ++calls;
                     EXPECT_EQ(keyword, Cp936("广州 电子公司"));
                     got = f;
                     gotText = asText;
                   });
  QTest::mouseClick(d->OkButton(), Qt::LeftButton);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(got.company && got.qq && got.mobile && got.email && got.url && got.tel &&
              got.location);
  EXPECT_FALSE(gotText);
  EXPECT_TRUE(PumpUntil([&] { return alive.isNull(); }, 5000));  // freed on close

  auto* c = new Dlg("k");
  QPointer<Dlg> cancelled(c);
  c->show();
  QObject::connect(c, &Dlg::ExportChosen, [&] { ++calls; });
  QTest::mouseClick(c->CancelButton(), Qt::LeftButton);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(PumpUntil([&] { return cancelled.isNull(); }, 5000));
}

using Export = GuiTest;

TEST_F(Export, ItemExportButtonLeadsToTheFileAndItsMessages) {
  Seed({{"广州 电子公司", {"甲公司", "乙公司"}}});
  Open();
  QString proposed;
  bool proposedText = false;
  QString target = QString::fromStdString(dir.File("out.txt"));
  TExportFormat filter = TExportFormat::Text;
  window->SetSaveFileAsker([&](const QString& name, bool asText) {
    proposed = name;
    proposedText = asText;
    return TMainWindow::SaveChoice{target, filter};
  });
  QStringList revealed;
  window->SetFileRevealer([&](const QString& path) { revealed << path; });
  auto exportEnded = [&] { return PumpUntil([&] { return !window->ExportRunning(); }, 30000); };

  // The first export opens in the documents folder, later ones where the last one went.
  QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  QDir().mkpath(documents);
  ClickButton("广州 电子公司", 4);
  Dlg* d = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (d = window->findChild<Dlg*>()) != nullptr; }));
  QTest::mouseClick(d->Link(Dlg::qpMobile), Qt::LeftButton);
  box.answers = {kMsgOk};
  QTest::mouseClick(d->OkButton(), Qt::LeftButton);
  ASSERT_TRUE(exportEnded());
  EXPECT_EQ(proposed, documents + Q("/广州 电子公司.txt"));
  EXPECT_TRUE(proposedText);
  EXPECT_EQ(ReadFileBytes(target.toStdString()), "13800000000\r\n13800000001\r\n");
  EXPECT_EQ(box.Last(), "数据导出成功，是否打开文件保存目录？");
  EXPECT_EQ(revealed, QStringList{target});

  // The file exists now: Cancel on the overwrite question leaves it as it is.
  WriteFileBytes(target.toStdString(), "keep");
  box.answers = {kMsgCancel};
  window->ExportKeyword(Cp936("广州 电子公司"),
                        TExportFields{true, false, false, false, false, false}, true);
  EXPECT_EQ(box.Last(), "文件已存在，是否覆盖？");
  EXPECT_EQ(ReadFileBytes(target.toStdString()), "keep");

  // A spreadsheet is proposed under ".xlsx"; the extension, else the chosen filter, picks the
  // writer.
  auto exportSheet = [&](const char* name, TExportFormat chosen) {
    target = QString::fromStdString(dir.File(name));
    filter = chosen;
    box.answers = {kMsgCancel};
    window->ExportKeyword(Cp936("广州 电子公司"),
                          TExportFields{true, true, true, true, false, true}, false);
    EXPECT_TRUE(exportEnded());
    return ReadFileBytes(target.toStdString()).substr(0, 4);
  };
  EXPECT_EQ(exportSheet("out.xlsx", TExportFormat::Xls), "PK\x03\x04");
  EXPECT_EQ(proposed, QString::fromStdString(dir.Path()) + Q("/广州 电子公司.xlsx"));
  EXPECT_FALSE(proposedText);
  EXPECT_EQ(exportSheet("OUT.XLS", TExportFormat::Xlsx), std::string("\x09\x08\x08\x00", 4));
  EXPECT_EQ(exportSheet("out.sheet", TExportFormat::Xlsx), "PK\x03\x04");
  EXPECT_EQ(exportSheet("old.sheet", TExportFormat::Xls), std::string("\x09\x08\x08\x00", 4));
  EXPECT_EQ(revealed.size(), 1);

  // One export at a time: a second one asked for before the first has ended is refused.
  target = QString::fromStdString(dir.File("one.txt"));
  TExportFields names{true, false, false, false, false, false};
  box.answers = {kMsgCancel};
  window->ExportKeyword(Cp936("广州 电子公司"), names, true);
  window->ExportKeyword(Cp936("广州 电子公司"), names, true);
  EXPECT_EQ(box.Last(), "正在导出数据，请等导出完成后再试！");
  ASSERT_TRUE(exportEnded());
  EXPECT_EQ(box.Last(), "数据导出成功，是否打开文件保存目录？");
}

// Exports that cannot give a file are refused before the save dialog, saying why.
TEST_F(Export, NothingToExportIsRefusedBeforeTheSaveDialog) {
  Seed({{"空关键词", {}}, {"广州 电子公司", {"甲公司"}}});
  Open();
  int asked = 0;
  QString target = QString::fromStdString(dir.File("none.txt"));
  window->SetSaveFileAsker([&](const QString&, bool) {
    ++asked;
    return TMainWindow::SaveChoice{target, TExportFormat::Text};
  });
  // No companies: said at once, without the field selection.
  ClickButton("空关键词", 4);
  ASSERT_TRUE(PumpUntil([&] { return !box.shown.empty(); }));
  EXPECT_EQ(box.Last(), "没有可导出的记录");
  EXPECT_EQ(window->findChild<Dlg*>(), nullptr);
  EXPECT_FALSE(window->Overlay()->isVisible());

  // No column ticked: the selection says so and stays open for a choice.
  ClickButton("广州 电子公司", 4);
  Dlg* d = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (d = window->findChild<Dlg*>()) != nullptr; }));
  for (Dlg::TBox b : {Dlg::bxCompany, Dlg::bxQQ, Dlg::bxMobile, Dlg::bxEmail, Dlg::bxUrl}) {
    d->Box(b)->setChecked(false);
  }
  QTest::mouseClick(d->OkButton(), Qt::LeftButton);
  EXPECT_EQ(box.Last(), kNoFieldText);
  EXPECT_TRUE(d->isVisible());
  window->ExportKeyword(Cp936("广州 电子公司"), TExportFields{}, true);
  EXPECT_EQ(asked, 0);
  EXPECT_FALSE(QFile::exists(target));

  // A keyword that has no companies by the time the file is chosen still gets no file.
  window->ExportKeyword(Cp936("空关键词"), TExportFields{true, true, true, true, false, true},
                        true);
  ASSERT_TRUE(PumpUntil([&] { return !window->ExportRunning(); }, 30000));
  EXPECT_EQ(box.Last(), "数据导出失败！");
  EXPECT_FALSE(QFile::exists(target));

  // A cancelled save dialog does nothing at all.
  box.shown.clear();
  window->SetSaveFileAsker([](const QString&, bool) { return TMainWindow::SaveChoice{}; });
  window->ExportKeyword(Cp936("空关键词"), TExportFields{true, false, false, false, false, false},
                        true);
  EXPECT_TRUE(box.shown.empty());
}

}  // namespace
}  // namespace zoqa::test
