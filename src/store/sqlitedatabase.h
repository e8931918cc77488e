// One open connection to one SQLite database file. Statements carry their values as literals;
// no parameters are bound, no transactions are opened (each statement commits by itself) and
// no busy timeout is set, so a locked database is reported at once.
#pragma once

#include <string>

#include "store/sqlitetable.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zoqa {

class TSQLiteDatabase {
 public:
  // Opens (creating when missing) the file `fileName` (UTF-8 path). `keyLength` 0 applies no
  // encryption key; this build has no encryption, so other values are ignored as well.
  // Raises ESQLiteException when the file cannot be opened.
  TSQLiteDatabase(const std::string& fileName, int keyLength);
  ~TSQLiteDatabase();
  TSQLiteDatabase(const TSQLiteDatabase&) = delete;
  TSQLiteDatabase& operator=(const TSQLiteDatabase&) = delete;

  sqlite3* Handle() const { return handle_; }

  // Runs the first statement of `sql`, which must return no rows.
  void Execute(const std::string& sql);

  // Runs the first statement of `sql` and returns its complete result.
  TSQLiteTable Query(const std::string& sql);

 private:
  [[noreturn]] void ThrowLastError(const std::string& message, const std::string& sql);
  sqlite3_stmt* Prepare(const std::string& sql);

  sqlite3* handle_ = nullptr;
};

}  // namespace zoqa
