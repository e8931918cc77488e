// A program that runs the service link on its own as the desktop does at start, against the
// proxy given as its one argument and the configuration host "cfg.zoqa.test". It prints each
// call of the view as a line of UTF-8 ("ShowMsg caption|text|kind", "EndProcess", ...), and
// ends with status 0 when the link ends the program, 2 for a bad call, 3 after 60 s.
#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <string>

#include "app/servicelink.h"
#include "harvest/base/enginesettings.h"
#include "harvest/net/workerthread.h"
#include "service/servicesettings.h"
#include "util/codepage.h"

namespace {

using namespace zoqa;

void Line(const std::string& text) {
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
}

class TPrintingView : public TServiceView {
 public:
  int ShowMsg(const std::string& text, const std::string& caption, int kind) override {
    Line("ShowMsg " + Cp936ToUtf8(caption) + "|" + Cp936ToUtf8(text) + "|" + std::to_string(kind));
    return 0;
  }
  void OpenUpdateWindow() override { Line("OpenUpdateWindow"); }
  void StartUpdate(std::unique_ptr<TUpdateInfo>) override { Line("StartUpdate"); }
  void SetStatusBar(const std::string& text) override { Line("SetStatusBar " + Cp936ToUtf8(text)); }
  void StopVersionCheck() override { Line("StopVersionCheck"); }
  void ArmDeferredStartup() override { Line("ArmDeferredStartup"); }
  // The desktop's clean shut-down: leave the event loop, exit with status 0.
  void EndProcess() override {
    Line("EndProcess");
    QCoreApplication::exit(0);
  }
};

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  if (argc != 2) return 2;
  TEngineSettings engine;
  engine.Proxy = argv[1];
  SetEngineSettings(engine);
  TServiceSettings service;
  service.ConfigHost = "cfg.zoqa.test";
  service.ServiceHost = "svc.zoqa.test";
  service.AdminContact = "10086";
  SetServiceSettings(service);

  TPrintingView view;
  TUpdaterFiles files{[] { return false; }, [] { return std::string(); }, [] {},
                      [] { return true; }};
  int status = 2;
  {
    TServiceLink link(view, files);
    if (link.Start()) {
      QTimer::singleShot(60000, [] { QCoreApplication::exit(3); });
      status = app.exec();
      Line("Retries " + std::to_string(link.RetriesMade()));
    }
  }
  // The last fetch frees itself after its callback; let it go before the process ends.
  TWorkerThread::WaitAllEnded(10000, [] { QCoreApplication::processEvents(); });
  return status;
}
