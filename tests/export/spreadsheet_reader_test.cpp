// Opens a written worksheet file in a real spreadsheet program (LibreOffice, when installed)
// and checks the cells it reads.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include "export/exportwriter.h"
#include "support/testsupport.h"
#include "util/codepage.h"

namespace zoqa {
namespace {

// Converts `xls` to CSV (UTF-8) in `outDir`; the reader takes the cell texts in the code
// page the file names.
bool ConvertToCsv(const QString& soffice, const test::TempDir& dir, const std::string& xls) {
  QProcess process;
  process.start(soffice,
                {"-env:UserInstallation=file://" + QString::fromStdString(dir.File("profile")),
                 "--headless", "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76",
                 "--outdir", QString::fromStdString(dir.Path()), QString::fromStdString(xls)});
  return process.waitForFinished(120000) && process.exitCode() == 0;
}

TEST(SpreadsheetReaderTest, LibreOfficeReadsTheCells) {
  const QString soffice = QStandardPaths::findExecutable("soffice");
  if (soffice.isEmpty()) GTEST_SKIP() << "soffice is not installed";

  TCompany a, b, c;
  a.SetName(Cp936("广州电子有限公司|官网"));
  a.AddMobile("13800000001");
  a.AddMobile("13800000002");
  a.AddQQ("10001");
  b.SetName("Beta");
  b.AddQQ("20001");
  c.SetName("Gamma");
  c.AddMobile("13900000000");
  TExportFields fields;
  fields.company = fields.mobile = fields.qq = true;

  test::TempDir dir;
  const std::string xls = dir.File("export.xls");
  ASSERT_TRUE(WriteExportFile({&a, &b, &c}, xls, fields, TExportFormat::Xls));
  ASSERT_TRUE(ConvertToCsv(soffice, dir, xls));
  EXPECT_EQ(test::ReadFileBytes(dir.File("export.csv")),
            "公司名,手机,QQ\n广州电子有限公司|官网,"
            "\"13800000001, 13800000002\",10001\nBeta,,20001\nGamma,13900000000,\n");
}

}  // namespace
}  // namespace zoqa
