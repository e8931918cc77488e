#include "store/companyrow.h"

#include "store/sqlitetable.h"
#include "store/storedtext.h"

namespace zoqa {

TCompanyRowReader::TCompanyRowReader(const TSQLiteTable& table)
    : table_(table),
      listId_(table.ColumnIndex("listid")),
      name_(table.ColumnIndex("Comname")),
      addr_(table.ColumnIndex("addr")),
      webUrl_(table.ColumnIndex("weburl")),
      source_(table.ColumnIndex("source")),
      isPay_(table.ColumnIndex("ispay")),
      renZheng_(table.ColumnIndex("renzheng")),
      tel_(table.ColumnIndex("Tel")),
      mob_(table.ColumnIndex("Mob")),
      email_(table.ColumnIndex("EMail")),
      qq_(table.ColumnIndex("qq")) {}

std::unique_ptr<TCompany> TCompanyRowReader::Read() const {
  std::string values[kCompanyColumnCount];
  const int columns[kCompanyColumnCount] = {listId_,   name_, addr_, webUrl_, source_, isPay_,
                                            renZheng_, tel_,  mob_,  email_,  qq_};
  std::string_view texts[kCompanyColumnCount];
  for (int i = 0; i < kCompanyColumnCount; ++i) {
    values[i] = table_.TextOrEmptyAt(columns[i]);
    texts[i] = values[i];
  }
  auto company = std::make_unique<TCompany>();
  FillCompany(*company, texts);
  return company;
}

void FillCompany(TCompany& company, const std::string_view (&texts)[kCompanyColumnCount]) {
  auto text = [&texts](int column) { return std::string(texts[column]); };
  company.ListId = text(0);
  company.SetName(DecodeStored(text(1)));
  company.Addr = DecodeStored(text(2));
  company.WebUrl = DecodeStored(text(3));
  company.Source = DecodeStored(text(4));
  company.IsPay = static_cast<std::uint8_t>(ParseStoredInt32(text(5)));
  company.RenZheng = static_cast<std::uint8_t>(ParseStoredInt32(text(6)));
  company.Tels = SplitStoredList(text(7));
  company.Mobiles = SplitStoredList(text(8));
  company.Emails = SplitStoredList(text(9));
  company.QQs = SplitStoredList(text(10));
}

}  // namespace zoqa
