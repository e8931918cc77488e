#include "app/teamworkersetup.h"

#include <QSettings>

#include <unistd.h>

#include <algorithm>
#include <memory>

#include "harvest/net/enginegate.h"
#include "harvest/net/proxypool.h"
#include "platform/appdir.h"
#include "store/pgsharedpace.h"

namespace zoqa {
namespace {

std::unique_ptr<QSettings> Settings() {
  return std::make_unique<QSettings>(QString::fromStdString(AppDir() + "zqclient.cfg"),
                                     QSettings::IniFormat);
}

void ShareAll(const std::shared_ptr<TSharedPace>& pace, const std::string& egress) {
  for (TEngine engine : {egBaidu, egSogou, eg360}) {
    TEngineGate::For(engine).Share(pace, egress, engine);
    if (auto pool = ProxyPool()) {
      for (int i = 0; i < pool->Size(); ++i) {
        pool->Gate(i, engine).Share(pace, pool->Entry(i).Label(), engine);
      }
    }
  }
}

}  // namespace

std::string DefaultWorkerName() {
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  return std::string(*host ? host : "localhost") + ":" + std::to_string(getpid());
}

int TeamLeaseSeconds() {
  int seconds = Settings()->value("store/LeaseSeconds", 60).toInt();
  return seconds >= 1 ? seconds : 60;
}

bool TeamWorkHere() {
  return Settings()->value("store/WorkHere", 1).toInt() != 0;
}

int TeamTasksPerEngine() {
  auto pool = ProxyPool();
  return pool ? std::max(1, pool->Size()) : 1;
}

void ShareTeamGates(const TStoreUrl& url, const std::string& egress) {
  ShareAll(std::make_shared<TPgSharedPace>(url), egress);
}

void ReleaseTeamGates() {
  ShareAll(nullptr, std::string());
}

}  // namespace zoqa
