#include "store/pgcursor.h"

#include "store/pgconnection.h"
#include "store/storedtext.h"

namespace zoqa {

std::string PgSortExpression(TSortColumn column) {
  switch (column) {
    case TSortColumn::kBadge:
      return "(case when ispay <> 0 then 0 when renzheng <> 0 then 1 else 2 end)";
    case TSortColumn::kName:
      return "(comname collate \"C\")";
    case TSortColumn::kMobile:
      return "(mob collate \"C\")";
    case TSortColumn::kQQ:
      return "(qq collate \"C\")";
    case TSortColumn::kEmail:
      return "(email collate \"C\")";
    case TSortColumn::kSource:
      return "(source collate \"C\")";
    case TSortColumn::kStored:
      break;
  }
  return "listid";
}

namespace {

constexpr int kSliceRows = 500;

// The parameter type of a sort value, for comparing the next slice's rows with the last one.
std::string ValueParameter(TSortColumn column) {
  if (column == TSortColumn::kStored) return "$3::bigint";
  if (column == TSortColumn::kBadge) return "$3::integer";
  return "($3::text collate \"C\")";
}

}  // namespace

const char kPgCompanyColumns[] =
    "listid, comname, addr, weburl, source, ispay, renzheng, tel, mob, email, qq";

void ReadPgCompany(const TPgResult& rows, int row, TCompany& company, unsigned parts) {
  auto text = [&](int column, unsigned part) {
    return (parts & part) ? rows.Text(row, column) : std::string();
  };
  company = TCompany();
  company.ListId = rows.Text(row, 0);
  company.SetName(DecodeStored(text(1, kPartName)));
  company.Addr = DecodeStored(text(2, kPartAddr));
  company.WebUrl = DecodeStored(text(3, kPartUrl));
  company.Source = DecodeStored(text(4, kPartSource));
  if (parts & kPartFlags) {
    company.IsPay = static_cast<std::uint8_t>(rows.Integer(row, 5));
    company.RenZheng = static_cast<std::uint8_t>(rows.Integer(row, 6));
  }
  company.Tels = SplitStoredList(text(7, kPartTels));
  company.Mobiles = SplitStoredList(text(8, kPartMobiles));
  company.Emails = SplitStoredList(text(9, kPartEmails));
  company.QQs = SplitStoredList(text(10, kPartQQs));
}

TPgCompanyCursor::TPgCompanyCursor(TPgConnection& connection, std::string keyId, TSortOrder order,
                                   std::int64_t offset, const TRowKey* after)
    : connection_(connection), keyId_(std::move(keyId)), order_(order), offset_(offset) {
  if (after == nullptr) return;
  seek_ = true;
  lastValue_ = after->value;
  lastId_ = std::to_string(after->listId);
}

void TPgCompanyCursor::FetchSlice() {
  std::string value = PgSortExpression(order_.column);
  std::string direction = order_.descending ? " desc" : "";
  std::string sql =
      std::string("select ") + kPgCompanyColumns + ", " + value + " from tbl_list where keyid = $1";
  TPgParams params{keyId_, std::to_string(kSliceRows)};
  if (first_ && !seek_) {
    params.push_back(std::to_string(offset_ < 0 ? 0 : offset_));
  } else {
    // After the last row read: the rows that follow it in the order, ties by list id.
    sql += " and (" + value + ", listid) " + (order_.descending ? "<" : ">") + " (" +
           ValueParameter(order_.column) + ", $4::bigint)";
    params.push_back(lastValue_);
    params.push_back(lastId_);
  }
  sql += " order by " + value + direction + ", listid" + direction + " limit $2";
  if (first_ && !seek_) sql += " offset $3";
  if (first_ && seek_) {
    sql += " offset $5";
    params.push_back(std::to_string(offset_ < 0 ? 0 : offset_));
  }
  rows_ = connection_.Exec(sql, params);
  row_ = 0;
  first_ = false;
  ended_ = rows_.Rows() < kSliceRows;
}

bool TPgCompanyCursor::Next(TCompany& company) {
  if (row_ >= rows_.Rows()) {
    if (ended_ || keyId_.empty()) return false;
    FetchSlice();
    if (rows_.Rows() == 0) return false;
  }
  ReadPgCompany(rows_, row_, company, parts_);
  lastId_ = rows_.Text(row_, 0);
  lastValue_ = rows_.Text(row_, 11);
  ++row_;
  return true;
}

bool TPgCompanyCursor::Key(TRowKey& key) const {
  if (row_ == 0 || lastId_.empty()) return false;
  key.value = lastValue_;
  key.listId = ParseStoredInt64(lastId_);
  return true;
}

}  // namespace zoqa
