// zoqa-cli add, list, companies, export, delete and clear: the keyword and result store
// without windows. Keywords arrive in UTF-8 and are kept in code page 936; output is UTF-8.
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>

#include "app/maincontroller.h"
#include "cli/argtext.h"
#include "cli/commands.h"
#include "cli/jsonout.h"
#include "cli/storeargs.h"
#include "export/exportfields.h"
#include "store/keylist.h"
#include "store/storefile.h"
#include "util/codepage.h"

namespace zoqa::cli {
namespace {

// The arguments of one store command: positional values and the options it accepts.
struct StoreArgs {
  std::vector<std::string> values;
  bool json = false;
  std::string fields = "name,mobile,qq,email,url";
  std::string format = "txt";
};

StoreArgs Parse(const std::string& command, const Args& args, std::size_t valueCount,
                const std::vector<std::string>& options) {
  StoreArgs parsed;
  auto accepts = [&](const std::string& option) {
    return std::find(options.begin(), options.end(), option) != options.end();
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--json" && accepts(arg)) {
      parsed.json = true;
    } else if ((arg == "--fields" || arg == "--format") && accepts(arg) && i + 1 < args.size()) {
      (arg == "--fields" ? parsed.fields : parsed.format) = args[++i];
    } else if (parsed.values.size() < valueCount && !arg.starts_with("--")) {
      parsed.values.push_back(arg);
    } else {
      throw UsageError(command + ": unexpected argument " + arg);
    }
  }
  if (parsed.values.size() != valueCount) throw UsageError(command + ": missing argument");
  return parsed;
}

TKeyData& ExistingKey(TKeyListInfo& store, const std::string& keyword) {
  TKeyData* key = store.FindKey(keyword);
  if (key == nullptr) throw std::runtime_error("no such keyword: " + Cp936ToUtf8(keyword));
  return *key;
}

// The local wall-clock seconds of the store as date and time text.
QString DateText(std::int64_t seconds) {
  return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString("yyyy-MM-dd hh:mm:ss");
}

QJsonObject KeyJson(const TKeyData& key) {
  QJsonObject o;
  o["id"] = IdJson(key.Id);
  o["keyword"] = JsonText(key.KeyStr);
  o["count"] = key.ListCount;
  o["date"] = DateText(key.AddDate);
  o["lastPage"] = key.LastPage;
  o["sgLastPage"] = key.SgLastPage;
  o["s360LastPage"] = key.S360LastPage;
  return o;
}

void PrintLine(const std::string& utf8) {
  std::printf("%s\n", utf8.c_str());
}

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const auto& item : items) text += (text.empty() ? "" : ",") + item;
  return Cp936ToUtf8(text);
}

TExportFields ParseFields(const std::string& list) {
  TExportFields fields;
  std::stringstream stream(list);
  for (std::string name; std::getline(stream, name, ',');) {
    if (name == "name")
      fields.company = true;
    else if (name == "mobile")
      fields.mobile = true;
    else if (name == "qq")
      fields.qq = true;
    else if (name == "email")
      fields.email = true;
    else if (name == "url")
      fields.url = true;
    else if (name == "tel")
      fields.tel = true;
    else if (name == "addr")
      fields.location = true;
    else if (!name.empty())
      throw UsageError("export: unknown field " + name);
  }
  if (!(fields.company || fields.mobile || fields.qq || fields.email || fields.url || fields.tel ||
        fields.location)) {
    throw UsageError("export: no field chosen");
  }
  return fields;
}

TExportFormat ParseFormat(const std::string& name) {
  if (name == "txt") return TExportFormat::Text;
  if (name == "xls") return TExportFormat::Xls;
  if (name == "xlsx") return TExportFormat::Xlsx;
  throw UsageError("export: unknown format " + name);
}

}  // namespace

int CmdAdd(const Args& args) {
  std::string keyword = Keyword(Parse("add", args, 1, {}).values[0]);
  // The same bound as the window's: the engines take no longer keyword.
  if (keyword.size() > TMainController::kMaxKeywordBytes) {
    throw UsageError("add: the keyword is longer than " +
                     std::to_string(TMainController::kMaxKeywordBytes) +
                     " bytes (38 Chinese characters)");
  }
  auto store = OpenStore();
  TKeyData* key = store->AddKey(keyword);
  if (key == nullptr || key->Id == "0") {
    std::fputs("the keyword could not be stored\n", stderr);
    return 1;
  }
  PrintLine(key->Id);
  return 0;
}

int CmdList(const Args& args) {
  bool json = Parse("list", args, 0, {"--json"}).json;
  auto store = OpenStore();
  QJsonArray array;
  for (const auto& key : store->Keys()) {
    if (json) {
      array.append(KeyJson(*key));
      continue;
    }
    PrintLine(key->Id + "\t" + Cp936ToUtf8(key->KeyStr) + "\t" + std::to_string(key->ListCount) +
              "\t" + DateText(key->AddDate).toStdString() + "\t" + std::to_string(key->LastPage) +
              "\t" + std::to_string(key->SgLastPage) + "\t" + std::to_string(key->S360LastPage));
  }
  if (json) PrintJson(QJsonDocument(array), QJsonDocument::Indented);
  return 0;
}

// The companies are printed as they are read, so that memory does not grow with their number:
// as lines of tab-separated values, or with --json as one indented array written element by
// element, byte for byte what the whole array printed at once would be.
int CmdCompanies(const Args& args) {
  StoreArgs parsed = Parse("companies", args, 1, {"--json"});
  std::string keyword = Keyword(parsed.values[0]);
  auto store = OpenStore();
  ExistingKey(*store, keyword);
  auto cursor = store->OpenCompanies(keyword, TSortOrder{});
  if (!parsed.json) {
    cursor->Only(kPartName | kPartMobiles | kPartTels | kPartQQs | kPartEmails | kPartUrl);
  }
  TJsonArrayWriter array(stdout);
  for (TCompany c; cursor->Next(c);) {
    if (parsed.json) {
      array.AddCompany(c);
      continue;
    }
    PrintLine(c.ListId + "\t" + Cp936ToUtf8(c.GetName()) + "\t" + Joined(c.Mobiles) + "\t" +
              Joined(c.Tels) + "\t" + Joined(c.QQs) + "\t" + Joined(c.Emails) + "\t" +
              Cp936ToUtf8(c.WebUrl));
  }
  if (parsed.json) array.Close();
  return 0;
}

int CmdExport(const Args& args) {
  StoreArgs parsed = Parse("export", args, 2, {"--fields", "--format"});
  std::string keyword = Keyword(parsed.values[0]);
  const std::string& file = parsed.values[1];
  TExportFields fields = ParseFields(parsed.fields);
  TExportFormat format = ParseFormat(parsed.format);
  auto store = OpenStore();
  bool written = false;
  if (store->FindKey(keyword) != nullptr)
    written = store->WriteExport(keyword, file, fields, format);
  if (!written || !std::filesystem::exists(file)) {
    std::fputs("数据导出失败！\n", stderr);
    return 1;
  }
  return 0;
}

// The store drops a failed write without a word, so a delete is checked by reading the
// keywords back from the file once the store that deleted them has closed it.
int CmdDelete(const Args& args) {
  std::string keyword = Keyword(Parse("delete", args, 1, {}).values[0]);
  auto store = OpenStore();
  ExistingKey(*store, keyword);
  store->DeleteKey(keyword);
  store.reset();
  if (OpenStore()->FindKey(keyword) != nullptr) {
    std::fprintf(stderr, "the keyword %s could not be deleted\n", Cp936ToUtf8(keyword).c_str());
    return 1;
  }
  return 0;
}

int CmdClear(const Args& args) {
  Parse("clear", args, 0, {});
  OpenStore()->ClearAll();
  std::size_t left = OpenStore()->Keys().size();
  if (left > 0) {
    std::fprintf(stderr, "%zu keyword(s) could not be deleted\n", left);
    return 1;
  }
  return 0;
}

}  // namespace zoqa::cli
