// The complete result of one query, read into memory when the query runs and then walked row
// by row. Once built it no longer touches the connection.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <variant>
#include <vector>

struct sqlite3_stmt;

namespace zoqa {

// A blob cell's bytes (kept apart from text so that a cell knows which of the two it holds).
struct TBlobStream {
  std::string Bytes;
};

// One cell: empty (SQL NULL), an integer, a float, a text or a blob.
using TSQLiteCell = std::variant<std::monostate, std::int64_t, double, std::string, TBlobStream>;

// SQLite's fundamental datatype codes, used as column kinds.
enum TColumnKind : int {
  ckInteger = 1,
  ckFloat = 2,
  ckText = 3,
  ckBlob = 4,
  ckNull = 5,
};

class TSQLiteTable {
 public:
  TSQLiteTable() = default;

  std::uint32_t RowCount() const { return rowCount_; }
  int ColumnCount() const { return columnCount_; }
  bool AtEnd() const { return current_ >= rowCount_; }
  bool Next();

  // Column position of `name`, ignoring letter case.
  int ColumnIndex(const std::string& name) const;

  // Reads of column `i` of the current row.
  std::string TextAt(int i) const;
  std::string TextOrEmptyAt(int i) const;
  std::int64_t IntegerAt(int i) const;
  double FloatAt(int i) const;
  const TBlobStream* BlobAt(int i) const;
  std::string BlobTextAt(int i) const;

  const std::vector<std::string>& ColumnNames() const { return columnNames_; }
  const std::vector<int>& ColumnKinds() const { return columnKinds_; }

 private:
  friend class TSQLiteDatabase;

  // Appends the statement's current row; the first row also fixes names and kinds.
  void AppendRow(sqlite3_stmt* statement);
  void ReadLayout(sqlite3_stmt* statement);
  TSQLiteCell ReadCell(sqlite3_stmt* statement, int column) const;
  const TSQLiteCell& Cell(int i) const;
  int KindAt(int i) const;

  std::deque<TSQLiteCell> values_;  // grows without moving the cells already read
  std::uint32_t rowCount_ = 0;
  int columnCount_ = 0;
  std::vector<std::string> columnNames_;
  std::vector<int> columnKinds_;
  std::uint32_t current_ = 0;
};

// The shortest general decimal form of `value` with up to 15 significant digits and "." as
// the decimal separator, whatever the locale ("5", "2.5").
std::string FloatText(double value);

}  // namespace zoqa
