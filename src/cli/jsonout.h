// JSON output of zoqa-cli: code page 936 text into JSON strings, and printing a document.
#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <cstdio>
#include <string>
#include <vector>

#include "harvest/report/company.h"

namespace zoqa::cli {

// A code page 936 text as a JSON string value.
QString JsonText(const std::string& cp936);

// A list of code page 936 texts as a JSON array of strings.
QJsonArray JsonList(const std::vector<std::string>& items);

// Sets the company's contact fields: addr, tels, mobiles, emails and qqs.
void PutContacts(QJsonObject& object, const TCompany& company);

// A stored row id: a number when it is one, null when there is none, else the stored text.
QJsonValue IdJson(const std::string& id);

// A stored company as `companies --json` prints it.
QJsonObject CompanyJson(const TCompany& company);

// An indented JSON array written to a stream element by element: the bytes are those of
// QJsonDocument's indented form of the whole array, without ever holding it.
class TJsonArrayWriter {
 public:
  explicit TJsonArrayWriter(std::FILE* out) : out_(out) {}
  // CompanyJson(company) as an element, built straight from the record rather than through
  // QJsonObject (a million companies print in seconds rather than in minutes).
  void AddCompany(const TCompany& company);
  // Ends the array ("[\n]\n" when nothing was added).
  void Close();

 private:
  std::FILE* out_;
  bool any_ = false;
  std::string text_;
};

// Writes the document in UTF-8 to stdout, followed by a line end when it is compact.
void PrintJson(const QJsonDocument& document, QJsonDocument::JsonFormat format);

}  // namespace zoqa::cli
