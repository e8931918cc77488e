// The company detail window's layout: which pairs show, where and how high their boxes are.
#include <QScrollBar>

#include "gui/companydetailwindow.h"
#include "guifixture.h"

namespace zoqa::test {
namespace {

using Detail = TCompanyDetailWindow;

std::vector<std::string> Entries(int n, const std::string& prefix) {
  std::vector<std::string> list;
  for (int i = 0; i < n; ++i) list.push_back(prefix + std::to_string(i));
  return list;
}

TCompany Company(int mobiles, int qqs, int emails) {
  TCompany c;
  c.SetName(Cp936("广州恒通电子元器件有限公司"));
  c.WebUrl = "http://www.hengtong-gz.com/";
  c.Addr = Cp936("天河路1号");
  c.Mobiles = Entries(mobiles, "1380013800");
  c.QQs = Entries(qqs, "1234567");
  c.Emails = Entries(emails, "sales@x.cn");
  return c;
}

TEST(DetailLayout, BoxHeightsFollowTheEntryCount) {
  struct Case {
    Detail::TBoxKind kind;
    int count, height;
  } cases[] = {
      {Detail::bkMobile, 1, 20}, {Detail::bkMobile, 2, 36}, {Detail::bkMobile, 3, 54},
      {Detail::bkMobile, 5, 80}, {Detail::bkMobile, 6, 80}, {Detail::bkMobile, 40, 80},
      {Detail::bkQQ, 1, 20},     {Detail::bkQQ, 3, 60},     {Detail::bkQQ, 4, 80},
      {Detail::bkEmail, 1, 20},  {Detail::bkEmail, 4, 72},  {Detail::bkEmail, 6, 80},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Detail::BoxHeight(c.kind, static_cast<std::size_t>(c.count)), c.height)
        << "kind " << c.kind << ", " << c.count << " entries";
  }
}

TEST(DetailLayout, PairsStackTenPixelsApartAndEmptyOnesHide) {
  Detail window(nullptr);
  window.ShowCompany(Company(1, 0, 0));
  EXPECT_FALSE(window.Box(Detail::bkMobile)->isHidden());
  EXPECT_EQ(window.Box(Detail::bkMobile)->geometry(), QRect(84, 149, 319, 20));
  EXPECT_EQ(window.FieldLabel(Detail::bkMobile)->pos(), QPoint(28, 149));
  EXPECT_TRUE(window.Box(Detail::bkQQ)->isHidden());
  EXPECT_TRUE(window.Box(Detail::bkEmail)->isHidden());
  EXPECT_TRUE(window.FieldLabel(Detail::bkEmail)->isHidden());

  // The same window refilled: the hidden pairs come back, placed below each other.
  window.ShowCompany(Company(3, 3, 2));
  EXPECT_EQ(window.Box(Detail::bkMobile)->geometry(), QRect(84, 149, 319, 54));
  EXPECT_EQ(window.Box(Detail::bkQQ)->geometry(), QRect(84, 213, 319, 60));
  EXPECT_EQ(window.Box(Detail::bkEmail)->geometry(), QRect(84, 283, 319, 36));
  EXPECT_EQ(window.FieldLabel(Detail::bkEmail)->pos(), QPoint(28, 283));
  EXPECT_FALSE(window.Box(Detail::bkQQ)->isHidden());

  // Only e-mail: it moves up to the first place.
  window.ShowCompany(Company(0, 0, 8));
  EXPECT_EQ(window.Box(Detail::bkEmail)->geometry(), QRect(84, 149, 319, 80));
  EXPECT_EQ(window.Box(Detail::bkEmail)->toPlainText().count('\n'), 7);
  EXPECT_TRUE(window.Box(Detail::bkMobile)->isHidden());

  // Long lists stay inside the panel.
  window.ShowCompany(Company(10, 10, 10));
  QRect email = window.Box(Detail::bkEmail)->geometry();
  EXPECT_EQ(email, QRect(84, 329, 319, 80));
  EXPECT_LE(email.bottom(), Detail::kPanelHeight - 20);
}

TEST(DetailLayout, ShowsNameUrlLandlinesAndAddressOnAnOpaquePanel) {
  Detail window(nullptr);
  window.show();
  TCompany c = Company(1, 1, 1);
  c.Tels = {"020-87654321", "020-87654322"};
  window.ShowCompany(c);
  EXPECT_EQ(window.NameLabel()->text(), Q("广州恒通电子元器件有限公司"));
  EXPECT_EQ(window.UrlLabel()->text(), Q("http://www.hengtong-gz.com/"));
  EXPECT_EQ(window.Url(), "http://www.hengtong-gz.com/");
  // Landlines follow the mobile numbers; the address comes last.
  EXPECT_EQ(window.Box(Detail::bkTel)->geometry(), QRect(84, 179, 319, 36));
  EXPECT_EQ(window.FieldLabel(Detail::bkTel)->text(), Q("电话："));
  EXPECT_EQ(window.Box(Detail::bkQQ)->geometry().top(), 225);
  EXPECT_TRUE(window.AddressText()->isVisible());
  EXPECT_EQ(window.AddressText()->text(), Q("天河路1号"));
  EXPECT_EQ(window.AddressText()->y(), window.Box(Detail::bkEmail)->geometry().bottom() + 11);
  EXPECT_FALSE(window.testAttribute(Qt::WA_TranslucentBackground));
  EXPECT_EQ(window.Box(Detail::bkMobile)->toPlainText(), Q("13800138000"));
  EXPECT_TRUE(window.Box(Detail::bkMobile)->isReadOnly());
  // The panel ends 20 pixels below the address, with no blank half.
  EXPECT_EQ(window.Panel()->geometry().size(),
            QSize(447, window.AddressText()->geometry().bottom() + 1 + 20));
  // Values and address in the same type.
  EXPECT_EQ(window.Box(Detail::bkTel)->font().pixelSize(),
            window.AddressText()->font().pixelSize());
  EXPECT_EQ(window.CloseButton()->geometry(), QRect(395, 5, 24, 24));

  // Every list full and a long address: the panel grows rather than hide any of it.
  TCompany full = Company(8, 8, 8);
  full.Tels = {"020-1", "020-2", "020-3", "020-4", "020-5", "020-6"};
  full.Addr = Cp936(std::string(30, 'x') + "广州市天河区天河路一号天河城写字楼二十八层二八零八室");
  window.ShowCompany(full);
  QRect address = window.AddressText()->geometry();
  EXPECT_GE(address.height(), 20);
  EXPECT_LE(address.bottom(), window.height() - 20);
  EXPECT_EQ(window.Panel()->height(), window.height());

  TCompany nameless;
  window.ShowCompany(nameless);
  EXPECT_EQ(window.NameLabel()->text(), Q(" "));
  EXPECT_FALSE(window.AddressText()->isVisible());
  EXPECT_EQ(window.size(), QSize(447, Detail::kMinPanelHeight));
  // A click on an empty link opens nothing (and raises nothing).
  int clicks = 0;
  QObject::connect(&window, &Detail::UrlClicked, [&](const std::string& url) {
    ++clicks;
    EXPECT_TRUE(url.empty());
  });
  QTest::mouseClick(window.UrlLabel(), Qt::LeftButton);
  EXPECT_EQ(clicks, 1);

  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace zoqa::test
