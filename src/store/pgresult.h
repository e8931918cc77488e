// One result of a PostgreSQL statement, owned; cells are read as text.
#pragma once

#include <cstdint>
#include <string>

struct pg_result;

namespace zoqa {

class TPgResult {
 public:
  explicit TPgResult(pg_result* result = nullptr) : result_(result) {}
  ~TPgResult();
  TPgResult(TPgResult&& other) noexcept : result_(other.result_) { other.result_ = nullptr; }
  TPgResult& operator=(TPgResult&& other) noexcept;
  TPgResult(const TPgResult&) = delete;
  TPgResult& operator=(const TPgResult&) = delete;

  int Rows() const;
  int Columns() const;
  bool IsNull(int row, int column) const;
  // The cell as text; empty for NULL.
  std::string Text(int row, int column) const;
  // The cell as a whole number; 0 for NULL or anything else.
  std::int64_t Integer(int row, int column) const;
  // The position of the column `name`, or -1.
  int Column(const char* name) const;

 private:
  pg_result* result_;
};

}  // namespace zoqa
