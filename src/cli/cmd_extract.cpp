// zoqa-cli extract: contact-link search and contact extraction over a saved page.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/commands.h"
#include "cli/jsonout.h"
#include "cli/pagefile.h"
#include "harvest/sites/contactextract.h"
#include "util/codepage.h"
#include "util/textutil.h"

namespace zoqa::cli {
namespace {

struct ExtractArgs {
  TEngineVariant variant = TEngineVariant::Baidu;
  std::string host;
  std::string file;
};

TEngineVariant ParseVariant(const std::string& name) {
  if (name == "baidu") return TEngineVariant::Baidu;
  if (name == "360") return TEngineVariant::So360;
  if (name == "sogou") return TEngineVariant::Sogou;
  throw UsageError("unknown variant: " + name);
}

ExtractArgs Parse(const Args& args) {
  ExtractArgs parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    bool hasValue = i + 1 < args.size();
    if (args[i] == "--variant" && hasValue) {
      parsed.variant = ParseVariant(args[++i]);
    } else if (args[i] == "--host" && hasValue) {
      parsed.host = args[++i];
    } else if (parsed.file.empty() && !args[i].starts_with("--")) {
      parsed.file = args[i];
    } else {
      throw UsageError("extract: unexpected argument " + args[i]);
    }
  }
  if (parsed.file.empty()) throw UsageError("extract: FILE is missing");
  return parsed;
}

// The page's text as a crawler decodes it: UTF-8 into the code page, or, when that gives
// nothing, the raw bytes taken as code page text.
std::string DecodePage(const std::string& raw) {
  std::string text = Utf8ToCp936(raw);
  return text.empty() && !raw.empty() ? Trim(raw) : text;
}

QJsonObject ToJson(const TCompany& record, const std::string& link, bool worth) {
  QJsonObject o;
  o["name"] = JsonText(record.ComName);
  PutContacts(o, record);
  o["contactLink"] = JsonText(link);
  o["worth"] = worth;
  return o;
}

}  // namespace

int CmdExtract(const Args& args) {
  ExtractArgs parsed = Parse(args);
  // A file that cannot be read ends the command with its message and status 1.
  std::string raw = ReadPageFile(parsed.file);
  TPageText page(DecodePage(raw));
  TRegExp re;
  std::string link = FindContactLink(re, page, Utf8ToCp936(parsed.host), parsed.variant);
  TCompany record;
  bool worth = ExtractContacts(re, record, page, parsed.variant);
  PrintJson(QJsonDocument(ToJson(record, link, worth)), QJsonDocument::Compact);
  return 0;
}

}  // namespace zoqa::cli
