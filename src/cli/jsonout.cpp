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
  for (char ch : utf8) {
    auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c != '"' && c != '\\') {
      out += ch;
      continue;
    }
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
  out += '"';
}

// One member of an element of the array: eight blanks, the key, the value and its end.
void AppendMember(std::string& out, const char* key, const std::string& value, bool last) {
  out += "        \"";
  out += key;
  out += "\": ";
  out += value;
  out += last ? "\n" : ",\n";
}

std::string JsonString(const std::string& cp936) {
  std::string value;
  AppendJsonString(value, Cp936ToUtf8(cp936));
  return value;
}

std::string JsonStrings(const std::vector<std::string>& cp936) {
  std::string value = "[\n";
  for (std::size_t i = 0; i < cp936.size(); ++i) {
    value += "            ";
    AppendJsonString(value, Cp936ToUtf8(cp936[i]));
    value += i + 1 < cp936.size() ? ",\n" : "\n";
  }
  return value + "        ]";
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

void TJsonArrayWriter::AddCompany(const TCompany& c) {
  // The members in the order QJsonObject keeps them: by key.
  std::string element = "{\n";
  AppendMember(element, "addr", JsonString(c.Addr), false);
  AppendMember(element, "emails", JsonStrings(c.Emails), false);
  AppendMember(element, "isPay", std::to_string(c.IsPay), false);
  AppendMember(element, "listId", JsonId(c.ListId), false);
  AppendMember(element, "mobiles", JsonStrings(c.Mobiles), false);
  AppendMember(element, "name", JsonString(c.GetName()), false);
  AppendMember(element, "qqs", JsonStrings(c.QQs), false);
  AppendMember(element, "renZheng", std::to_string(c.RenZheng), false);
  AppendMember(element, "source", JsonString(c.Source), false);
  AppendMember(element, "tels", JsonStrings(c.Tels), false);
  AppendMember(element, "url", JsonString(c.WebUrl), true);
  element += "    }";
  Put(element);
}

void TJsonArrayWriter::Put(const std::string& element) {
  text_ += any_ ? ",\n    " : "[\n    ";
  text_ += element;
  any_ = true;
  if (text_.size() >= (1u << 16)) {
    std::fwrite(text_.data(), 1, text_.size(), out_);
    text_.clear();
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
