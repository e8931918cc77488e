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

namespace {

void FillList(std::vector<std::string>& list, std::string_view text, bool wanted) {
  if (wanted) {
    SplitStoredList(text, list);
  } else {
    list.clear();
  }
}

void FillText(std::string& value, std::string_view text, bool wanted) {
  if (wanted) {
    DecodeStored(text, value);
  } else {
    value.clear();
  }
}

}  // namespace

void FillCompany(TCompany& company, const std::string_view (&texts)[kCompanyColumnCount],
                 unsigned parts) {
  company.ListId.assign(texts[0]);
  company.SetName((parts & kPartName) ? DecodeStored(texts[1]) : std::string());
  FillText(company.Addr, texts[2], parts & kPartAddr);
  FillText(company.WebUrl, texts[3], parts & kPartUrl);
  FillText(company.Source, texts[4], parts & kPartSource);
  const bool flags = parts & kPartFlags;
  company.IsPay = flags ? static_cast<std::uint8_t>(ParseStoredInt32(texts[5])) : 0;
  company.RenZheng = flags ? static_cast<std::uint8_t>(ParseStoredInt32(texts[6])) : 0;
  FillList(company.Tels, texts[7], parts & kPartTels);
  FillList(company.Mobiles, texts[8], parts & kPartMobiles);
  FillList(company.Emails, texts[9], parts & kPartEmails);
  FillList(company.QQs, texts[10], parts & kPartQQs);
}

}  // namespace zoqa
