#include "cli/argtext.h"

#include "cli/commands.h"
#include "util/codepage.h"

namespace zoqa::cli {

std::string Cp936Argument(const std::string& utf8, const std::string& what) {
  if (!IsValidUtf8(utf8)) throw UsageError(what + " is not valid UTF-8");
  std::string lost = LostCharacter(utf8);
  if (!lost.empty()) {
    throw UsageError(what + " holds the character \"" + lost + "\" (" + CodePointName(lost) +
                     "), which code page 936 cannot hold");
  }
  return Utf8ToCp936(utf8);
}

}  // namespace zoqa::cli
