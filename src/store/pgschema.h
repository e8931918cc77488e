// The team store's schema: tables tbl_key and tbl_list as in the local store, the task
// queue tbl_task and the shared pace tbl_pace, a schema_version table and the migrations that lead
// from one version to the next.
#pragma once

#include <stdexcept>
#include <string>

namespace zoqa {

class TPgConnection;

// The newest schema version this program knows.
constexpr int kPgSchemaVersion = 2;

// A database whose schema this program cannot use: none, an older one, or a newer one.
class EStoreSchema : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The version of the schema in the database; 0 when it has none.
int PgSchemaVersion(TPgConnection& connection);

// Creates the schema or brings it up to kPgSchemaVersion, in one transaction that
// concurrent runs wait for; returns the version. Raises EStoreSchema for a newer schema,
// leaving it untouched.
int InitPgSchema(TPgConnection& connection);

// Raises EStoreSchema unless the database holds exactly the schema this program knows.
void CheckPgSchema(TPgConnection& connection);

}  // namespace zoqa
