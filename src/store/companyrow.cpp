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
  auto text = [this](int column) { return table_.TextOrEmptyAt(column); };
  auto company = std::make_unique<TCompany>();
  company->ListId = text(listId_);
  company->SetName(DecodeStored(text(name_)));
  company->Addr = DecodeStored(text(addr_));
  company->WebUrl = DecodeStored(text(webUrl_));
  company->Source = DecodeStored(text(source_));
  company->IsPay = static_cast<std::uint8_t>(ParseStoredInt32(text(isPay_)));
  company->RenZheng = static_cast<std::uint8_t>(ParseStoredInt32(text(renZheng_)));
  company->Tels = SplitStoredList(text(tel_));
  company->Mobiles = SplitStoredList(text(mob_));
  company->Emails = SplitStoredList(text(email_));
  company->QQs = SplitStoredList(text(qq_));
  return company;
}

}  // namespace zoqa
