// zoqa-cli results: what a saved result page yields, read as the engine's harvester reads it.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/commands.h"
#include "cli/jsonout.h"
#include "cli/pagefile.h"
#include "harvest/base/enginesettings.h"
#include "harvest/results/resultpage.h"
#include "harvest/text/bodytext.h"
#include "platform/appdir.h"

namespace zoqa::cli {
namespace {

struct ResultsArgs {
  TEngine engine = egBaidu;
  std::string file;
};

TEngine ParseEngine(const std::string& name) {
  if (name == "baidu") return egBaidu;
  if (name == "360") return eg360;
  if (name == "sogou") return egSogou;
  throw UsageError("unknown engine: " + name);
}

ResultsArgs Parse(const Args& args) {
  ResultsArgs parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--engine" && i + 1 < args.size()) {
      parsed.engine = ParseEngine(args[++i]);
    } else if (parsed.file.empty() && !args[i].starts_with("--")) {
      parsed.file = args[i];
    } else {
      throw UsageError("results: unexpected argument " + args[i]);
    }
  }
  if (parsed.file.empty()) throw UsageError("results: FILE is missing");
  return parsed;
}

QJsonObject ToJson(TEngine engine, const TResultLink& link) {
  QJsonObject o;
  o["url"] = JsonText(link.Link);
  o["title"] = JsonText(link.Title);
  o["paid"] = link.Paid;
  if (engine == egBaidu) o["certified"] = link.Certified != 0;
  o["reader"] = link.Reader == TReader::Page ? "page" : "classic";
  return o;
}

}  // namespace

int CmdResults(const Args& args) {
  ResultsArgs parsed = Parse(args);
  // A file that cannot be read ends the command with its message and status 1.
  std::string raw = ReadPageFile(parsed.file);
  // The engine's hosts and the readers in use come from the settings file, as for `run`.
  SetEngineSettings(LoadEngineSettings(AppDir() + "zqclient.cfg"));
  TRegExp re;
  QJsonArray results;
  for (const TResultLink& link : ReadResultPage(parsed.engine, re, DecodeBody(raw, true))) {
    results.append(ToJson(parsed.engine, link));
  }
  PrintJson(QJsonDocument(results), QJsonDocument::Indented);
  return 0;
}

}  // namespace zoqa::cli
