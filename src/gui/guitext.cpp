#include "gui/guitext.h"

#include "util/codepage.h"

namespace zoqa {

QString FromCp936(const std::string& text) {
  return QString::fromStdString(Cp936ToUtf8(text));
}

std::string ToCp936(const QString& text) {
  return Utf8ToCp936(text.toStdString());
}

}  // namespace zoqa
