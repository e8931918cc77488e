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

void TJsonArrayWriter::Add(const QJsonObject& element) {
  // The element as a document of its own, every line moved in by one level.
  QByteArray json = QJsonDocument(element).toJson(QJsonDocument::Indented);
  json.chop(1);  // the final line end
  QByteArray text = any_ ? ",\n    " : "[\n    ";
  text.reserve(text.size() + json.size() + json.count('\n') * 4);
  for (char c : json) {
    text += c;
    if (c == '\n') text += "    ";
  }
  std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), out_);
  any_ = true;
}

void TJsonArrayWriter::Close() {
  std::fputs(any_ ? "\n]\n" : "[\n]\n", out_);
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
