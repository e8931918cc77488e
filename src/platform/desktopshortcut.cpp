#include "platform/desktopshortcut.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QString>

#include <stdexcept>

#include "util/textutil.h"

namespace zoqa {
namespace {

// Line breaks and tabs would end the key's value; the format writes them as escapes.
std::string EscapeValue(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

std::string DesktopFolder() {
  QString dir = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  if (dir.isEmpty() || !QFileInfo(dir).isDir()) return {};
  return IncludeBackslash(dir.toStdString());
}

std::string ApplicationsFolder() {
  QString dir = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
  if (dir.isEmpty()) return {};
  QDir().mkpath(dir);
  return IncludeBackslash(dir.toStdString());
}

std::string DesktopExecQuote(const std::string& path) {
  // Inside double quotes the characters " ` $ \ take a backslash, and a percent sign, which
  // would start a field code, is written twice; the value itself is then a string value, in
  // which every backslash is written twice.
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    if (c == '%') quoted += '%';
    quoted += c;
  }
  quoted += '"';
  std::string out;
  for (char c : quoted) {
    out += c;
    if (c == '\\') out += '\\';
  }
  return EscapeValue(out);
}

// GCC 12 at -O2 and above reports a -Wrestrict overlap in the std::string code inlined into
// `"literal" + std::string` below; the copy cannot overlap (a known false positive of that
// compiler), so the warning is silenced for this function only. Clang has no such warning.
#ifndef __clang__
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
void CreateShortcut(const std::string& target, const std::string& arguments,
                    const std::string& linkFile, const std::string& description,
                    const std::string& icon) {
  QString link = QString::fromStdString(linkFile);
  if (!link.toUpper().endsWith(".DESKTOP")) return;
  std::string workDir = QFileInfo(QString::fromStdString(target)).absolutePath().toStdString();
  std::string exec = DesktopExecQuote(target);
  if (!arguments.empty()) exec += " " + EscapeValue(arguments);
  std::string text = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
  text += "Name=" + EscapeValue(description) + "\n";
  text += "Comment=" + EscapeValue(description) + "\n";
  text += "Exec=" + exec + "\n";
  text += "Path=" + EscapeValue(IncludeBackslash(workDir)) + "\n";
  if (!icon.empty()) text += "Icon=" + EscapeValue(icon) + "\n";
  text += "Terminal=false\nCategories=Office;Network;\n";

  QSaveFile file(link);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(text.data(), static_cast<qint64>(text.size())) !=
          static_cast<qint64>(text.size()) ||
      !file.commit()) {
    throw std::runtime_error("cannot write " + linkFile + ": " + file.errorString().toStdString());
  }
  // Desktops start only launchers that are executable by their owner.
  QFile::setPermissions(link, QFile::permissions(link) | QFileDevice::ExeOwner |
                                  QFileDevice::ExeUser | QFileDevice::ExeGroup |
                                  QFileDevice::ExeOther);
}
#ifndef __clang__
#pragma GCC diagnostic pop
#endif

}  // namespace zoqa
