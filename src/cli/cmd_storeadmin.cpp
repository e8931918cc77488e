// zoqa-cli store init and store copy: setting up the team store and moving a store's content
// between the local file and the team database.
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "store/pgconnection.h"
#include "store/pgschema.h"
#include "store/storebackend.h"
#include "store/storechoice.h"
#include "store/storecopy.h"
#include "store/storeurl.h"

namespace zoqa::cli {
namespace {

int Init(const Args& args) {
  if (!args.empty()) throw UsageError("store init: unexpected argument " + args[0]);
  std::string url = ChosenStoreUrl();
  if (url.empty()) {
    throw UsageError("store init: no team store chosen (--store URL, ZOQA_STORE or [store] Url)");
  }
  TPgConnection connection{TStoreUrl(url)};
  int before = PgSchemaVersion(connection);
  int version = InitPgSchema(connection);
  std::printf("%s: schema version %d%s\n", connection.Url().Masked().c_str(), version,
              before == version ? " (unchanged)" : "");
  return 0;
}

// A store's place as the user may see it: a directory, or the URL without its password.
std::string Shown(const std::string& where) {
  return TStoreUrl::LooksLikeUrl(where) ? TStoreUrl(where).Masked() : where;
}

int Copy(const Args& args) {
  if (args.size() != 2) throw UsageError("store copy: FROM and TO are needed");
  auto from = OpenStoreAt(args[0], false);
  auto to = OpenStoreAt(args[1], true);
  if (from->Label() == to->Label()) throw UsageError("store copy: FROM and TO are the same store");
  TCopyCounts counts = CopyStore(*from, *to);
  std::printf("%s -> %s\n", Shown(args[0]).c_str(), Shown(args[1]).c_str());
  std::printf("copied: %lld keywords, %lld companies\n", static_cast<long long>(counts.Keys),
              static_cast<long long>(counts.Companies));
  std::printf("skipped (already there): %lld keywords, %lld companies\n",
              static_cast<long long>(counts.KeysSkipped),
              static_cast<long long>(counts.CompaniesSkipped));
  return 0;
}

}  // namespace

int CmdStore(const Args& args) {
  if (args.empty()) throw UsageError("store: init or copy expected");
  Args rest(args.begin() + 1, args.end());
  if (args[0] == "init") return Init(rest);
  if (args[0] == "copy") return Copy(rest);
  throw UsageError("store: unknown subcommand " + args[0]);
}

}  // namespace zoqa::cli
