#include "store/pgresult.h"

#include <libpq-fe.h>

#include <cstdlib>

namespace zoqa {

TPgResult::~TPgResult() {
  PQclear(result_);
}

TPgResult& TPgResult::operator=(TPgResult&& other) noexcept {
  if (this != &other) {
    PQclear(result_);
    result_ = other.result_;
    other.result_ = nullptr;
  }
  return *this;
}

int TPgResult::Rows() const {
  return result_ ? PQntuples(result_) : 0;
}

int TPgResult::Columns() const {
  return result_ ? PQnfields(result_) : 0;
}

bool TPgResult::IsNull(int row, int column) const {
  return PQgetisnull(result_, row, column) != 0;
}

std::string TPgResult::Text(int row, int column) const {
  if (IsNull(row, column)) return {};
  return std::string(PQgetvalue(result_, row, column),
                     static_cast<std::size_t>(PQgetlength(result_, row, column)));
}

std::int64_t TPgResult::Integer(int row, int column) const {
  if (IsNull(row, column)) return 0;
  return std::strtoll(PQgetvalue(result_, row, column), nullptr, 10);
}

int TPgResult::Column(const char* name) const {
  return PQfnumber(result_, name);
}

}  // namespace zoqa
