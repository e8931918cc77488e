#include "cli/argtext.h"

#include <QList>
#include <QString>

#include <cstdio>

#include "cli/commands.h"
#include "util/codepage.h"

namespace zoqa::cli {
namespace {

// "U+2713" for the first code point of a UTF-8 character.
std::string CodePointText(const std::string& utf8) {
  QList<uint> points = QString::fromStdString(utf8).toUcs4();
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", points.isEmpty() ? 0u : points.front());
  return text;
}

}  // namespace

std::string Cp936Argument(const std::string& utf8, const std::string& what) {
  if (!IsValidUtf8(utf8)) throw UsageError(what + " is not valid UTF-8");
  std::string lost = LostCharacter(utf8);
  if (!lost.empty()) {
    throw UsageError(what + " holds the character \"" + lost + "\" (" + CodePointText(lost) +
                     "), which code page 936 cannot hold");
  }
  return Utf8ToCp936(utf8);
}

}  // namespace zoqa::cli
