#include "store/sqlitetable.h"

#include <sqlite3.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "store/sqliteexception.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

// The kind a declared column type gives, or 0 when the column has no declared type.
int KindOfDeclaredType(const char* declared) {
  if (declared == nullptr) return 0;
  std::string_view type(declared);
  if (type == "INTEGER" || type == "BOOLEAN") return ckInteger;
  if (type == "NUMERIC" || type == "FLOAT" || type == "DOUBLE" || type == "REAL") return ckFloat;
  if (type == "BLOB") return ckBlob;
  return ckText;
}

// The value truncated toward zero; out-of-range values are held at the limits, NaN gives 0.
std::int64_t TruncateToInteger(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9223372036854775807.0) return std::numeric_limits<std::int64_t>::max();
  if (value <= -9223372036854775808.0) return std::numeric_limits<std::int64_t>::min();
  return static_cast<std::int64_t>(value);
}

[[noreturn]] void ThrowNotNumeric() {
  throw ESQLiteException("Not an integer or numeric field");
}

}  // namespace

std::string FloatText(double value) {
  char buffer[64];
  auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  return std::string(buffer, result.ptr);
}

void TSQLiteTable::ReadLayout(sqlite3_stmt* statement) {
  columnCount_ = sqlite3_column_count(statement);
  for (int c = 0; c < columnCount_; ++c) {
    const char* name = sqlite3_column_name(statement, c);
    columnNames_.push_back(AsciiUpper(name ? name : ""));
    int kind = KindOfDeclaredType(sqlite3_column_decltype(statement, c));
    columnKinds_.push_back(kind != 0 ? kind : sqlite3_column_type(statement, c));
  }
}

void TSQLiteTable::AppendRow(sqlite3_stmt* statement) {
  if (rowCount_ == 0) ReadLayout(statement);
  ++rowCount_;
  for (int c = 0; c < columnCount_; ++c) values_.push_back(ReadCell(statement, c));
}

TSQLiteCell TSQLiteTable::ReadCell(sqlite3_stmt* statement, int column) const {
  if (sqlite3_column_type(statement, column) == SQLITE_NULL) return {};
  switch (columnKinds_[column]) {
    case ckInteger:
      return static_cast<std::int64_t>(sqlite3_column_int64(statement, column));
    case ckFloat:
      return sqlite3_column_double(statement, column);
    case ckBlob: {
      const void* bytes = sqlite3_column_blob(statement, column);
      int size = sqlite3_column_bytes(statement, column);
      if (size <= 0) return {};
      return TBlobStream{std::string(static_cast<const char*>(bytes), size)};
    }
    default: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
      return std::string(text ? text : "");  // up to the first zero byte
    }
  }
}

bool TSQLiteTable::Next() {
  if (AtEnd()) return false;
  ++current_;
  return true;
}

int TSQLiteTable::ColumnIndex(const std::string& name) const {
  if (columnNames_.empty()) {
    throw ESQLiteException("Field " + name + " Not found. Empty dataset");
  }
  std::string upper = AsciiUpper(name);
  for (std::size_t c = 0; c < columnNames_.size(); ++c) {
    if (columnNames_[c] == upper) return static_cast<int>(c);
  }
  throw ESQLiteException("Field not found in dataset: " + name);
}

const TSQLiteCell& TSQLiteTable::Cell(int i) const {
  if (AtEnd()) throw ESQLiteException("Table is at End of File");
  if (i < 0 || i >= columnCount_)
    throw ESQLiteException("Field not found in dataset: #" + std::to_string(i));
  return values_[static_cast<std::size_t>(current_) * columnCount_ + i];
}

int TSQLiteTable::KindAt(int i) const {
  return columnKinds_[i];
}

std::string TSQLiteTable::TextAt(int i) const {
  const TSQLiteCell& cell = Cell(i);
  int kind = KindAt(i);
  if (std::holds_alternative<std::monostate>(cell)) {
    return kind == ckInteger || kind == ckFloat ? "0" : "";
  }
  switch (kind) {
    case ckInteger:
      return std::to_string(std::get<std::int64_t>(cell));
    case ckFloat:
      return FloatText(std::get<double>(cell));
    case ckBlob:
      return BlobTextAt(i);
    case ckNull:
      return "";
    default:
      return std::get<std::string>(cell);
  }
}

std::string TSQLiteTable::TextOrEmptyAt(int i) const {
  if (std::holds_alternative<std::monostate>(Cell(i))) return "";
  return TextAt(i);
}

std::int64_t TSQLiteTable::IntegerAt(int i) const {
  const TSQLiteCell& cell = Cell(i);
  if (std::holds_alternative<std::monostate>(cell)) return 0;
  if (KindAt(i) == ckInteger) return std::get<std::int64_t>(cell);
  if (KindAt(i) == ckFloat) return TruncateToInteger(std::get<double>(cell));
  ThrowNotNumeric();
}

double TSQLiteTable::FloatAt(int i) const {
  const TSQLiteCell& cell = Cell(i);
  if (std::holds_alternative<std::monostate>(cell)) return 0;
  if (KindAt(i) == ckInteger) return static_cast<double>(std::get<std::int64_t>(cell));
  if (KindAt(i) == ckFloat) return std::get<double>(cell);
  ThrowNotNumeric();
}

const TBlobStream* TSQLiteTable::BlobAt(int i) const {
  const TSQLiteCell& cell = Cell(i);
  if (std::holds_alternative<std::monostate>(cell)) return nullptr;
  if (KindAt(i) != ckBlob) throw ESQLiteException("Not a Blob field");
  return &std::get<TBlobStream>(cell);
}

std::string TSQLiteTable::BlobTextAt(int i) const {
  const TBlobStream* blob = BlobAt(i);
  return blob ? blob->Bytes : std::string();
}

}  // namespace zoqa
