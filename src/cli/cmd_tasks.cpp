// zoqa-cli start, pause, stop and tasks: the team store's task queue, one task per keyword
// and engine, which workers on any machine take up.
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "app/maincontroller.h"
#include "cli/commands.h"
#include "cli/jsonout.h"
#include "cli/storeargs.h"
#include "cli/taskargs.h"
#include "store/keylist.h"
#include "store/pgstore.h"
#include "store/pgtaskqueue.h"
#include "store/storechoice.h"
#include "store/taskengine.h"
#include "util/codepage.h"

namespace zoqa::cli {
namespace {

struct TaskArgs {
  std::vector<int> engines;
  bool json = false;
  std::vector<std::string> keywords;
};

// The arguments of a task command: keywords, and --engines or --json where it takes them
// (tasks takes --json and no keyword).
TaskArgs ParseTaskArgs(const std::string& command, const Args& args, bool withEngines,
                       bool withJson) {
  TaskArgs parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (withEngines && args[i] == "--engines" && i + 1 < args.size()) {
      parsed.engines = ParseEngineList(command, args[++i]);
    } else if (withJson && args[i] == "--json") {
      parsed.json = true;
    } else if (!args[i].starts_with("--") && !withJson) {
      parsed.keywords.push_back(Keyword(args[i]));
    } else {
      throw UsageError(command + ": unexpected argument " + args[i]);
    }
  }
  if (parsed.engines.empty()) parsed.engines = AllEngines();
  if (!withJson && parsed.keywords.empty()) throw UsageError(command + ": KEYWORD is missing");
  return parsed;
}

// The ids of stored keywords; nothing is changed when one of them is not stored.
std::vector<std::string> KeyIds(const std::string& command, TPgStore& store,
                                const std::vector<std::string>& keywords) {
  std::vector<std::string> ids;
  for (const std::string& keyword : keywords) {
    std::string id = store.KeyId(keyword);
    if (id == "0") {
      throw std::runtime_error(command + ": no keyword " + Cp936ToUtf8(keyword) + " in the store");
    }
    ids.push_back(id);
  }
  return ids;
}

int ChangeTasks(const std::string& command, const Args& args) {
  TaskArgs parsed = ParseTaskArgs(command, args, true, false);
  TStoreUrl url = TeamStoreUrl(command);
  TPgStore store(url);
  std::vector<std::string> ids = KeyIds(command, store, parsed.keywords);
  TPgTaskQueue queue(url, "", 0);
  int changed =
      command == "pause" ? queue.Pause(ids, parsed.engines) : queue.Stop(ids, parsed.engines);
  std::printf("%d tasks %s\n", changed, command == "pause" ? "paused" : "stopped");
  return 0;
}

QJsonObject TaskJson(const TTaskRow& task) {
  QJsonObject object;
  object["keyword"] = JsonText(task.Keyword);
  object["engine"] = QString::fromStdString(TaskEngineName(task.Engine));
  object["state"] = QString::fromStdString(task.State);
  object["owner"] = task.Owner.empty() ? QJsonValue() : QString::fromStdString(task.Owner);
  object["lease_end"] =
      task.LeaseEnd.empty() ? QJsonValue() : QString::fromStdString(task.LeaseEnd);
  object["page"] = task.Page;
  object["attempts"] = task.Attempts;
  object["last_error"] = QString::fromStdString(task.LastError);
  return object;
}

}  // namespace

TStoreUrl TeamStoreUrl(const std::string& command) {
  std::string url = ChosenStoreUrl();
  if (url.empty()) {
    throw UsageError(command +
                     ": tasks live in the team store: give --store URL, ZOQA_STORE or "
                     "[store] Url");
  }
  return TStoreUrl(url);
}

std::vector<int> AllEngines() {
  return {egBaidu, egSogou, eg360};
}

int ParseMaxSeconds(const std::string& command, const std::string& text) {
  std::size_t used = 0;
  int seconds = -1;
  try {
    seconds = std::stoi(text, &used);
  } catch (const std::exception&) {
  }
  if (used != text.size() || seconds <= 0) {
    throw UsageError(command + ": bad --max-seconds " + text);
  }
  return seconds;
}

std::vector<int> ParseEngineList(const std::string& command, const std::string& list) {
  std::vector<int> engines;
  std::stringstream stream(list);
  for (std::string name; std::getline(stream, name, ',');) {
    int engine = TaskEngineFromName(name);
    if (engine < 0) throw UsageError(command + ": unknown engine " + name);
    if (std::find(engines.begin(), engines.end(), engine) == engines.end()) {
      engines.push_back(engine);
    }
  }
  if (engines.empty()) throw UsageError(command + ": --engines names no engine");
  return engines;
}

int CmdStart(const Args& args) {
  TaskArgs parsed = ParseTaskArgs("start", args, true, false);
  for (const std::string& keyword : parsed.keywords) {
    if (keyword.size() > TMainController::kMaxKeywordBytes) {
      throw UsageError("start: a keyword is longer than " +
                       std::to_string(TMainController::kMaxKeywordBytes) +
                       " bytes (38 Chinese characters)");
    }
  }
  TStoreUrl url = TeamStoreUrl("start");
  TPgStore store(url);
  std::vector<std::string> ids;
  for (const std::string& keyword : parsed.keywords) {
    std::string id = store.AddKey(keyword, LocalNowSeconds());
    if (id == "0") throw std::runtime_error("start: the keyword could not be stored");
    ids.push_back(id);
  }
  int ready = TPgTaskQueue(url, "", 0).Start(ids, parsed.engines);
  std::printf("%d tasks ready\n", ready);
  return 0;
}

int CmdPause(const Args& args) {
  return ChangeTasks("pause", args);
}

int CmdStop(const Args& args) {
  return ChangeTasks("stop", args);
}

int CmdTasks(const Args& args) {
  TaskArgs parsed = ParseTaskArgs("tasks", args, false, true);
  TStoreUrl url = TeamStoreUrl("tasks");
  TPgStore store(url);  // checks the schema
  std::vector<TTaskRow> tasks = TPgTaskQueue(url, "", 0).List();
  QJsonArray array;
  for (const TTaskRow& task : tasks) {
    if (parsed.json) {
      array.append(TaskJson(task));
      continue;
    }
    std::string line = Cp936ToUtf8(task.Keyword) + "\t" + TaskEngineName(task.Engine) + "\t" +
                       task.State + "\t" + (task.Owner.empty() ? "-" : task.Owner) + "\t" +
                       (task.LeaseEnd.empty() ? "-" : task.LeaseEnd) + "\t" +
                       std::to_string(task.Page) + "\t" + std::to_string(task.Attempts) + "\t" +
                       task.LastError + "\n";
    std::fputs(line.c_str(), stdout);
  }
  if (parsed.json) PrintJson(QJsonDocument(array), QJsonDocument::Indented);
  return 0;
}

}  // namespace zoqa::cli
