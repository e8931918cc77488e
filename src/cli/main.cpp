// zoqa-cli: the store, engine and controller without windows.
#include <QCoreApplication>

#include <cstdio>
#include <exception>
#include <map>
#include <string>

#include "cli/commands.h"
#include "platform/appdir.h"
#include "platform/fileversion.h"
#include "store/pgconnection.h"
#include "store/pgschema.h"
#include "store/storechoice.h"
#include "store/storeurl.h"

ZOQA_EMBED_FILE_VERSION(ZOQA_VERSION_MAJOR, ZOQA_VERSION_MINOR, ZOQA_VERSION_PATCH,
                        ZOQA_VERSION_TWEAK);

namespace {

const char kUsage[] =
    "usage:\n"
    "  zoqa-cli [--home DIR] extract [--variant baidu|360|sogou] [--host HOST] FILE\n"
    "  zoqa-cli [--home DIR] results [--engine baidu|360|sogou] FILE\n"
    "  zoqa-cli [--home DIR] add KEYWORD\n"
    "  zoqa-cli [--home DIR] list [--json]\n"
    "  zoqa-cli [--home DIR] companies KEYWORD [--json]   (--json: one array, written as read)\n"
    "  zoqa-cli [--home DIR] run [--engines baidu,sogou,360] [--max-seconds N] [--json]"
    " KEYWORD...\n"
    "  zoqa-cli [--home DIR] proxies [--check]\n"
    "  zoqa-cli [--home DIR] export KEYWORD FILE [--fields name,mobile,tel,qq,email,addr,url]"
    " [--format txt|xls|xlsx]\n"
    "  zoqa-cli [--home DIR] delete KEYWORD\n"
    "  zoqa-cli [--home DIR] clear\n"
    "  zoqa-cli [--store URL] store init\n"
    "  zoqa-cli store copy FROM TO      (each a program directory or a postgresql:// URL)\n"
    "  zoqa-cli --store URL start [--engines baidu,sogou,360] KEYWORD...\n"
    "  zoqa-cli --store URL pause|stop [--engines baidu,sogou,360] KEYWORD...\n"
    "  zoqa-cli --store URL tasks [--json]\n"
    "  zoqa-cli --store URL worker [--name NAME] [--engines baidu,sogou,360] [--max-seconds N]"
    " [--until-idle] [--json]\n"
    "Every store command also takes --store postgresql://[user[:password]@]host[:port]/dbname\n"
    "(or ZOQA_STORE, or [store] Url in zqclient.cfg) for the team store. Exit status: 2 bad\n"
    "arguments or a malformed store URL, 3 the team store cannot be reached or refuses the\n"
    "login, 4 its schema is missing or of another version.\n"
    "  zoqa-cli config-pack KEY        (stdin -> stdout)\n"
    "  zoqa-cli config-unpack KEY      (stdin -> stdout)\n"
    "  zoqa-cli hex-encipher KEY TEXT\n"
    "  zoqa-cli hex-decipher KEY HEX\n";

using Command = int (*)(const zoqa::cli::Args&);

const std::map<std::string, Command>& Commands() {
  using namespace zoqa::cli;
  static const std::map<std::string, Command> commands = {
      {"extract", CmdExtract},
      {"results", CmdResults},
      {"add", CmdAdd},
      {"list", CmdList},
      {"companies", CmdCompanies},
      {"run", CmdRun},
      {"proxies", CmdProxies},
      {"export", CmdExport},
      {"delete", CmdDelete},
      {"clear", CmdClear},
      {"store", CmdStore},
      {"start", CmdStart},
      {"pause", CmdPause},
      {"stop", CmdStop},
      {"tasks", CmdTasks},
      {"worker", CmdWorker},
      {"config-pack", CmdConfigPack},
      {"config-unpack", CmdConfigUnpack},
      {"hex-encipher", CmdHexEncipher},
      {"hex-decipher", CmdHexDecipher},
  };
  return commands;
}

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

// Writes an error message to stderr as one complete line.
void PrintError(const std::string& message) {
  std::fputs(message.c_str(), stderr);
  if (message.empty() || message.back() != '\n') std::fputc('\n', stderr);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  zoqa::cli::Args args(argv + 1, argv + argc);
  while (args.size() >= 2 && (args[0] == "--home" || args[0] == "--store")) {
    if (args[0] == "--home") zoqa::SetAppDirOverride(args[1]);
    if (args[0] == "--store") zoqa::SetStoreUrlOverride(args[1]);
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) return Usage();
  auto it = Commands().find(args[0]);
  if (it == Commands().end()) {
    PrintError("unknown command: " + args[0]);
    return Usage();
  }
  try {
    return it->second(zoqa::cli::Args(args.begin() + 1, args.end()));
  } catch (const zoqa::cli::UsageError& e) {
    if (*e.what()) PrintError(e.what());
    return Usage();
  } catch (const zoqa::EStoreUrl& e) {
    PrintError(e.what());
    return 2;
  } catch (const zoqa::EPgError& e) {
    PrintError(e.what());
    return 3;
  } catch (const zoqa::EStoreSchema& e) {
    PrintError(e.what());
    return 4;
  } catch (const std::exception& e) {
    PrintError(e.what());
    return 1;
  }
}
