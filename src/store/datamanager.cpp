#include "store/datamanager.h"

#include "platform/appdir.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

// `value` with every single quote doubled.
std::string DoubleQuotes(const std::string& value) {
  std::string out;
  out.reserve(value.size() + 2);
  for (char c : value) {
    out.push_back(c);
    if (c == '\'') out.push_back('\'');
  }
  return out;
}

// A field's value as written into a statement: numbers unchanged, texts as literals.
std::string WrittenValue(const TDataField& field) {
  return field.Kind == 1 ? field.Value : SqlQuoted(field.Value);
}

void DropTrailingComma(std::string& text) {
  if (!text.empty() && text.back() == ',') text.pop_back();
}

}  // namespace

std::string SqlQuoted(const std::string& value) {
  std::string out = "'";
  out += DoubleQuotes(value);
  out += '\'';
  return out;
}

std::string TDataManager::DatabasePath(const std::string& databaseName) {
  return AppDir() + "Data/" + databaseName;
}

TDataManager::TDataManager(const std::string& databaseName, int keyLength)
    : TDataManager(FromPath{}, DatabasePath(databaseName), keyLength) {}

TDataManager::TDataManager(FromPath, const std::string& fileName, int keyLength)
    : fileName_(fileName), database_(std::make_unique<TSQLiteDatabase>(fileName, keyLength)) {}

std::unique_ptr<TDataManager> TDataManager::OpenFile(const std::string& fileName, int keyLength) {
  return std::unique_ptr<TDataManager>(new TDataManager(FromPath{}, fileName, keyLength));
}

TDataManager::~TDataManager() = default;

void TDataManager::Reset() {
  fields_.clear();
  whereText_.clear();
  SqlText.clear();
}

void TDataManager::AddField(std::uint8_t kind, const std::string& name, std::string value) {
  std::string trimmed = Trim(name);
  if (trimmed.empty()) return;
  fields_.push_back(TDataField{kind, std::move(trimmed), std::move(value)});
}

void TDataManager::AddText(const std::string& name, const std::string& value) {
  AddField(0, name, value);
}

void TDataManager::AddInteger(const std::string& name, std::int32_t value) {
  AddField(1, name, std::to_string(value));
}

void TDataManager::AddFloat(const std::string& name, double value) {
  AddField(1, name, FloatText(value));
}

void TDataManager::SetWhere(const std::string& condition) {
  std::string trimmed = Trim(condition);
  if (!trimmed.empty()) whereText_ = std::move(trimmed);
}

std::string TDataManager::InsertStatement(const std::string& table) const {
  std::string names, values;
  for (const TDataField& field : fields_) {
    AppendText(names, field.Name, ",");
    AppendText(values, WrittenValue(field), ",");
  }
  DropTrailingComma(names);
  DropTrailingComma(values);
  return "insert into " + table + "(" + names + ") values (" + values + ")";
}

std::string TDataManager::UpdateStatement(const std::string& table) const {
  std::string pieces;
  for (const TDataField& field : fields_) {
    AppendText(pieces, field.Name + "=" + WrittenValue(field), ",");
  }
  DropTrailingComma(pieces);
  std::string statement = "update " + table + " set " + pieces;
  if (!whereText_.empty()) statement += " where " + whereText_;
  return statement;
}

std::string TDataManager::DeleteStatement(const std::string& table) const {
  std::string statement = "delete from " + table;
  if (!whereText_.empty()) statement += " where " + whereText_;
  return statement;
}

// Builds a statement for `table` and runs it; a write never raises, whatever fails.
bool TDataManager::RunWrite(const std::string& table, StatementBuilder build) {
  if (table.empty()) return false;
  try {
    return ExecStatement((this->*build)(table));
  } catch (...) {
    return false;
  }
}

bool TDataManager::InsertInto(const std::string& table) {
  return RunWrite(table, &TDataManager::InsertStatement);
}

bool TDataManager::UpdateTable(const std::string& table) {
  return RunWrite(table, &TDataManager::UpdateStatement);
}

bool TDataManager::DeleteFrom(const std::string& table) {
  return RunWrite(table, &TDataManager::DeleteStatement);
}

bool TDataManager::ExecStatement(const std::string& sql) {
  try {
    SqlText = sql;
    database_->Execute(sql);
    return true;
  } catch (...) {
    return false;
  }
}

std::unique_ptr<TSQLiteTable> TDataManager::OpenQuery() {
  if (SqlText.empty()) return nullptr;
  return std::make_unique<TSQLiteTable>(database_->Query(SqlText));
}

}  // namespace zoqa
