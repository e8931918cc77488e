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
  company.ListId.assign(texts[0]);
  company.SetName(DecodeStored(texts[1]));
  company.Addr = DecodeStored(texts[2]);
  company.WebUrl = DecodeStored(texts[3]);
  company.Source = DecodeStored(texts[4]);
  company.IsPay = static_cast<std::uint8_t>(ParseStoredInt32(std::string(texts[5])));
  company.RenZheng = static_cast<std::uint8_t>(ParseStoredInt32(std::string(texts[6])));
  company.Tels = SplitStoredList(texts[7]);
  company.Mobiles = SplitStoredList(texts[8]);
  company.Emails = SplitStoredList(texts[9]);
  company.QQs = SplitStoredList(texts[10]);
}

}  // namespace zoqa
