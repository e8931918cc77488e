// Renders the main window with a few keywords and companies, the company detail window and
// the export field selection window into PNG files, without a display. The pictures in docs/
// come from here; continuous integration runs it so that it keeps working.
//   zoqa-screenshots OUTDIR
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QTemporaryDir>

#include <cstdio>
#include <string>
#include <vector>

#include "gui/companydetailwindow.h"
#include "gui/exportselectiondialog.h"
#include "gui/keywordpanel.h"
#include "gui/mainwindow.h"
#include "gui/resultgrid.h"
#include "gui/stylesheet.h"
#include "platform/appdir.h"
#include "store/keylist.h"
#include "store/storefile.h"
#include "util/codepage.h"

namespace {

using namespace zoqa;

struct Company {
  const char* name;
  std::vector<std::string> mobiles, qqs, emails;
  const char* url;
  const char* source;
  int pay, certified;
};

const std::vector<Company> kCompanies = {
    {"广州市天河区星辰电子科技有限公司",
     {"13800138000", "13922200011"},
     {"88990011"},
     {"sales@xingchen-tech.cn"},
     "http://www.xingchen-tech.cn/contact.html",
     "百度",
     1,
     0},
    {"广州恒通电子元器件有限公司",
     {"13711112222"},
     {"12345678", "23456789"},
     {"info@hengtong-gz.com", "hr@hengtong-gz.com"},
     "http://www.hengtong-gz.com/",
     "百度",
     1,
     1},
    {"广东粤芯微电子股份有限公司",
     {"15899990000"},
     {},
     {"service@yuexin.com.cn"},
     "http://www.yuexin.com.cn/about/contact",
     "搜狗",
     0,
     1},
    {"番禺区利达电子厂",
     {"13602020303", "13602020304", "13602020305"},
     {"556677"},
     {},
     "http://lida-dz.cn/",
     "360",
     0,
     0},
    {"广州华南智能电子设备有限公司（华南区总代理）",
     {"18620001111"},
     {"10001000"},
     {"contact@hn-smart.com"},
     "http://www.hn-smart.com/lxwm.html",
     "百度",
     0,
     0},
    {"广州市白云区鑫源电子有限公司",
     {"13533334444"},
     {},
     {"xinyuan@163.com"},
     "http://www.xy-dianzi.com/",
     "360",
     0,
     1},
    {"增城明辉电子科技",
     {"13926265555"},
     {"33445566"},
     {},
     "http://minghui-tech.cn/",
     "搜狗",
     0,
     0},
    {"广州立创电子商务有限公司",
     {"13422228888"},
     {"77889900"},
     {"lc@lichuang-ec.com"},
     "http://www.lichuang-ec.com/",
     "百度",
     1,
     0},
};

void Pump(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool Save(QWidget* widget, const QString& file) {
  QPixmap picture = widget->grab();
  bool ok = !picture.isNull() && picture.save(file, "PNG");
  std::fprintf(stderr, "%s %s (%dx%d)\n", ok ? "wrote" : "FAILED", qPrintable(file),
               picture.width(), picture.height());
  return ok;
}

void Seed() {
  TKeyListInfo store;
  store.LoadKeys();
  const char* keywords[] = {"上海 网络公司", "深圳 LED照明", "广州 电子公司"};
  int n = 0;
  for (const char* keyword : keywords) {
    store.AddKey(Cp936(keyword));
    for (const Company& c : kCompanies) {
      if (std::string(keyword) != "广州 电子公司" && n++ % 3 != 0) continue;
      TCompany company;
      company.KeyWord = Cp936(keyword);
      company.SetName(
          Cp936(std::string(c.name) +
                (std::string(keyword) == "广州 电子公司" ? "" : " " + std::to_string(n))));
      for (const auto& m : c.mobiles) company.AddMobile(m);
      company.AddTel("020-8" + std::to_string(7650000 + n));
      company.Addr = Cp936("广州市天河区天河路" + std::to_string(100 + n) + "号科技大厦" +
                           std::to_string(n % 9 + 1) + "楼");
      for (const auto& q : c.qqs) company.AddQQ(q);
      for (const auto& e : c.emails) company.AddEmail(e);
      company.WebUrl = c.url;
      company.Source = Cp936(c.source);
      company.IsPay = static_cast<std::uint8_t>(c.pay);
      company.RenZheng = static_cast<std::uint8_t>(c.certified);
      store.AddCompany(company.KeyWord, company);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QDir().mkpath(out);

  for (const char* name : {"Noto Sans CJK SC", "Noto Sans SC", "WenQuanYi Micro Hei"}) {
    QString family = QString::fromUtf8(name);
    if (QFontDatabase::families().contains(family)) {
      QFont font(family);
      font.setPixelSize(13);
      QApplication::setFont(font);
      break;
    }
  }
  app.setStyleSheet(AppStyleSheet());

  QTemporaryDir home;
  SetAppDirOverride(home.path().toStdString());
  ProvisionStoreFile();
  Seed();

  bool ok = true;
  {
    TMainWindow window;
    window.SetTrayAvailable(false);
    window.show();
    Pump(100);
    const std::string shown = Cp936("广州 电子公司");
    window.Controller().SelectKeyword(shown);
    for (int i = 0; i < 200 && window.GridRowCount() == 0; ++i) Pump(20);
    window.Panel()->List()->setCurrentRow(2);
    // The keyword on show as it looks while its search runs, and one whose search ended.
    window.SetItemButton(shown, 0, true, "stopbtn");
    window.SetItemNote(Cp936("深圳 LED照明"), Cp936("任务已结束"));
    window.SetTip(Cp936("正在搜索"), Cp936("正在分析采集结果..."));
    window.SetStatusBar(Cp936("正在分析企业详细信息:http://www.lichuang-ec.com/"));
    window.Grid()->selectRow(1);
    Pump(200);
    ok &= Save(&window, out + "/main-window.png");

    window.OpenDetails(1);
    Pump(100);
    if (window.DetailWindow() != nullptr)
      ok &= Save(window.DetailWindow(), out + "/company-detail.png");

    window.OpenExportSelection(shown);
    Pump(100);
    auto* dialog = window.findChild<TExportSelectionDialog*>();
    if (dialog != nullptr) ok &= Save(dialog, out + "/export-selection.png");
    window.ShutDown();
  }
  SetAppDirOverride("");
  return ok ? 0 : 1;
}
