// What the task queue commands of zoqa-cli share: the team store they need and the engine
// list they take.
#pragma once

#include <string>
#include <vector>

#include "store/storeurl.h"

namespace zoqa::cli {

// The chosen team store; UsageError naming `command` when the local store is chosen.
TStoreUrl TeamStoreUrl(const std::string& command);

// "baidu,sogou,360" (any of them, in any order) as engines; UsageError for an unknown name.
std::vector<int> ParseEngineList(const std::string& command, const std::string& list);

// The value of --max-seconds: a whole number above 0; UsageError naming `command` otherwise.
int ParseMaxSeconds(const std::string& command, const std::string& text);

// Every engine.
std::vector<int> AllEngines();

// run on the team store: adds the keywords when missing, makes their tasks on `engines`
// ready, and works on those tasks only until none of them is ready or leased any more.
int RunTeamTasks(const std::vector<std::string>& keywords, const std::vector<int>& engines,
                 int maxSeconds, bool json);

}  // namespace zoqa::cli
