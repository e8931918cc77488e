#include "cli/jsonout.h"

#include <charconv>
#include <cstdio>

#include "util/codepage.h"

namespace zoqa::cli {

QString JsonText(const std::string& cp936) {
  return QString::fromStdString(Cp936ToUtf8(cp936));
}

QJsonArray JsonList(const std::vector<std::string>& items) {
  QJsonArray array;
  for (const auto& item : items) array.append(JsonText(item));
  return array;
}

void PutContacts(QJsonObject& object, const TCompany& company) {
  object["addr"] = JsonText(company.Addr);
  object["tels"] = JsonList(company.Tels);
  object["mobiles"] = JsonList(company.Mobiles);
  object["emails"] = JsonList(company.Emails);
  object["qqs"] = JsonList(company.QQs);
}

namespace {

// `utf8` as a JSON string the way QJsonDocument writes it: quote, backslash and control
// characters escaped (\b \f \n \r \t, else \u00xx), everything else as it is.
void AppendJsonString(std::string& out, std::string_view utf8) {
  static const char kHex[] = "0123456789abcdef";
  out += '"';
  std::size_t plain = 0;  // start of the run of characters written as they are
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    auto c = static_cast<unsigned char>(utf8[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out.append(utf8.substr(plain, i - plain));
    plain = i + 1;
    out += '\\';
    switch (c) {
      case '"':
        out += '"';
        break;
      case '\\':
        out += '\\';
        break;
      case '\b':
        out += 'b';
        break;
      case '\f':
        out += 'f';
        break;
      case '\n':
        out += 'n';
        break;
      case '\r':
        out += 'r';
        break;
      case '\t':
        out += 't';
        break;
      default:
        out += "u00";
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
    }
  }
  out.append(utf8.substr(plain));
  out += '"';
}

// The start of a member of an element of the array: eight blanks and the key.
void AppendKey(std::string& out, const char* key) {
  out += "        \"";
  out += key;
  out += "\": ";
}

void AppendCp936String(std::string& out, const std::string& cp936) {
  AppendJsonString(out, Cp936ToUtf8(cp936));
}

void AppendCp936Strings(std::string& out, const std::vector<std::string>& cp936) {
  out += "[\n";
  for (std::size_t i = 0; i < cp936.size(); ++i) {
    out += "            ";
    AppendCp936String(out, cp936[i]);
    out += i + 1 < cp936.size() ? ",\n" : "\n";
  }
  out += "        ]";
}

std::string JsonString(const std::string& cp936) {
  std::string value;
  AppendCp936String(value, cp936);
  return value;
}

// The text of IdJson(id).
std::string JsonId(const std::string& id) {
  if (id.empty()) return "null";
  qint64 value = 0;
  auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), value);
  if (error == std::errc() && end == id.data() + id.size()) return std::to_string(value);
  return JsonString(id);
}

}  // namespace

// Written straight into the buffer, member by member.
void TJsonArrayWriter::AddCompany(const TCompany& c) {
  std::string& out = text_;
  out += any_ ? ",\n    {\n" : "[\n    {\n";
  any_ = true;
  // The members in the order QJsonObject keeps them: by key.
  AppendKey(out, "addr");
  AppendCp936String(out, c.Addr);
  AppendKey(out += ",\n", "emails");
  AppendCp936Strings(out, c.Emails);
  AppendKey(out += ",\n", "isPay");
  out += std::to_string(c.IsPay);
  AppendKey(out += ",\n", "listId");
  out += JsonId(c.ListId);
  AppendKey(out += ",\n", "mobiles");
  AppendCp936Strings(out, c.Mobiles);
  AppendKey(out += ",\n", "name");
  AppendCp936String(out, c.GetName());
  AppendKey(out += ",\n", "qqs");
  AppendCp936Strings(out, c.QQs);
  AppendKey(out += ",\n", "renZheng");
  out += std::to_string(c.RenZheng);
  AppendKey(out += ",\n", "source");
  AppendCp936String(out, c.Source);
  AppendKey(out += ",\n", "tels");
  AppendCp936Strings(out, c.Tels);
  AppendKey(out += ",\n", "url");
  AppendCp936String(out, c.WebUrl);
  out += "\n    }";
  if (out.size() >= (1u << 16)) {
    std::fwrite(out.data(), 1, out.size(), out_);
    out.clear();
  }
}

void TJsonArrayWriter::Close() {
  text_ += any_ ? "\n]\n" : "[\n]\n";
  std::fwrite(text_.data(), 1, text_.size(), out_);
  text_.clear();
}

void PrintJson(const QJsonDocument& document, QJsonDocument::JsonFormat format) {
  QByteArray json = document.toJson(format);
  std::fwrite(json.constData(), 1, static_cast<std::size_t>(json.size()), stdout);
  if (format == QJsonDocument::Compact) std::fputc('\n', stdout);
}

// A stored row id as JSON: a number when it is one, null when the row has none (an older
// file may declare the column as a plain int that holds NULL), else the stored text.
QJsonValue IdJson(const std::string& id) {
  if (id.empty()) return QJsonValue(QJsonValue::Null);
  qint64 value = 0;
  auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), value);
  if (error == std::errc() && end == id.data() + id.size()) return value;
  return JsonText(id);
}

QJsonObject CompanyJson(const TCompany& c) {
  QJsonObject o;
  o["listId"] = IdJson(c.ListId);
  o["name"] = JsonText(c.GetName());
  PutContacts(o, c);
  o["url"] = JsonText(c.WebUrl);
  o["source"] = JsonText(c.Source);
  o["isPay"] = c.IsPay;
  o["renZheng"] = c.RenZheng;
  return o;
}

}  // namespace zoqa::cli
