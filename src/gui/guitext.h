// Conversions between the system's code page 936 text and Qt's strings.
#pragma once

#include <QString>

#include <exception>
#include <string>

namespace zoqa {

QString FromCp936(const std::string& text);
std::string ToCp936(const QString& text);
// An exception's text as code page 936 (messages may come in either encoding).
std::string FailureText(const std::exception& e);

}  // namespace zoqa
