// Conversions between the system's code page 936 text and Qt's strings.
#pragma once

#include <QString>

#include <string>

namespace zoqa {

QString FromCp936(const std::string& text);
std::string ToCp936(const QString& text);

}  // namespace zoqa
