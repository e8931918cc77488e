#include "gui/guitext.h"

#include "util/codepage.h"

namespace zoqa {

QString FromCp936(const std::string& text) {
  return QString::fromStdString(Cp936ToUtf8(text));
}

std::string ToCp936(const QString& text) {
  return Utf8ToCp936(text.toStdString());
}

std::string FailureText(const std::exception& e) {
  std::string text = e.what();
  return IsValidUtf8(text) ? Utf8ToCp936(text) : text;
}

}  // namespace zoqa
