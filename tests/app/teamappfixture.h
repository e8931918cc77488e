// The controller tests on the team store: each has a test database with the schema, named by
// ZOQA_STORE until the test ends, so the program opens the team store instead of its file.
#pragma once

#include <cstdlib>

#include "appfixture.h"
#include "store/pgschema.h"
#include "store/pgstore.h"
#include "support/pgtestdb.h"

namespace zoqa::test {

class TeamAppTest : public AppTest {
 protected:
  void SetUp() override {
    ZOQA_REQUIRE_PG(pg);
    TPgConnection connection{TStoreUrl(pg.Url())};
    InitPgSchema(connection);
    setenv("ZOQA_STORE", pg.Url().c_str(), 1);
  }
  void TearDown() override {
    AppTest::TearDown();
    unsetenv("ZOQA_STORE");
  }

  PgTestDb pg;
};

}  // namespace zoqa::test
