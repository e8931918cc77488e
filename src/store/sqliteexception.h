// The one exception of the database layer, and the English names of SQLite result codes used
// in its messages.
#pragma once

#include <stdexcept>
#include <string>

namespace zoqa {

// Raised for every failure of the database layer; carries nothing but its message.
class ESQLiteException : public std::runtime_error {
 public:
  explicit ESQLiteException(const std::string& message) : std::runtime_error(message) {}
};

// The English text of a primary SQLite result code; unknown codes give
// "Unknown SQLite Error Code \"<code>\"".
std::string ResultCodeText(int code);

}  // namespace zoqa
