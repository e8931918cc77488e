// What a worker of the team store's task queue takes from its machine: its default name, the
// lease time and WorkHere of the settings, how many tasks of one engine it may hold, and the
// pace its engine gates keep together with every other machine on the same egress address.
#pragma once

#include <string>

#include "store/storeurl.h"

namespace zoqa {

// "host:pid", the lease owner's name when none is given.
std::string DefaultWorkerName();

// [store] LeaseSeconds of zqclient.cfg in the program directory; 60 when unset or below 1.
int TeamLeaseSeconds();

// [store] WorkHere of zqclient.cfg: whether the desktop program on the team store also
// harvests the team's tasks (default yes).
bool TeamWorkHere();

// Tasks of one engine the machine's egresses serve at once: one per proxy of the pool, else 1.
int TeamTasksPerEngine();

// Every engine gate of the process keeps the pace of its egress in the team store at `url`:
// the engine gates under `egress`, each proxy's gates under its host:port.
void ShareTeamGates(const TStoreUrl& url, const std::string& egress);
// The gates go back to their own pace in memory.
void ReleaseTeamGates();

}  // namespace zoqa
