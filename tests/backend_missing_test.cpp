// A connect string naming a back end the build does not contain: refused with
// its own result code, log entry and line on standard error, never taken for
// an unknown database. The build without ODBC is stood in for by a back-end
// table whose ODBC rows have no factory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/backend/backend.h"
#include "db/session.h"
#include "run/download_main.h"
#include "tests/test_env.h"

namespace {

const DbBackendRow kWithoutOdbc[] = {
    {"sqlite:", "sqlite", SqliteBackend_Create},
    {"odbc:", "odbc", nullptr},
    {"", "odbc", nullptr},
};

class BackendMissingTest : public ::testing::Test {
 protected:
  void SetUp() override { Db_SetBackends(kWithoutOdbc, 3); }
  void TearDown() override { Db_SetBackends(nullptr, 0); }
  TestTree tree_;
};

TEST_F(BackendMissingTest, RunRefusesAnOdbcNet8WithItsOwnEntryAndExitStatus) {
  const DownloadEntries none = {};
  const char* args[] = {"velmarkon", "M1", "Kvs501Apk"};
  for (const char* net8 : {"BDEPROD", "odbc:DSN=BDEPROD;Database=bde"}) {
    WriteFileBytes(tree_.log(), "");
    tree_.WriteConfig("bde", "secret", net8);
    testing::internal::CaptureStderr();
    const int status = Download_Main(3, args, &none);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, 5) << net8;
    EXPECT_NE(status, ExitStatus(SQL_NO_SUCH_DATABASE));
    std::vector<std::string> want = {"dbConnect|DB-Schnittstelle nicht im Programm|-12283"};
    EXPECT_EQ(LogEntries(tree_.log()), want) << net8;
    EXPECT_EQ(err,
              "velmarkon: NET8 names the odbc database back end, which this build does not "
              "contain (back ends in this build: sqlite)\n");
  }
}

TEST_F(BackendMissingTest, OtherConnectStringsKeepTheirResults) {
  char built[64];
  EXPECT_STREQ(Db_BuiltBackends(built, sizeof built), "sqlite");
  EXPECT_EQ(Db_ConnectWith("u", "p", ""), SQL_NO_SUCH_DATABASE);  // nothing named at all
  EXPECT_STREQ(Db_MissingBackend(), "");
  EXPECT_EQ(Db_ConnectWith("u", "p", "sqlite:nowhere.db"), SQL_NO_SUCH_DATABASE);
  tree_.CreateDb();
  if (tree_.net8().rfind("sqlite:", 0) == 0) {
    EXPECT_EQ(Db_ConnectWith("u", "p", tree_.net8().c_str()), SQL_OK);
    dbDisconnect();
  }
}

TEST(BackendTableTest, TheBuildListsWhatItContains) {
  char built[64];
  Db_BuiltBackends(built, sizeof built);
#ifdef VK_HAVE_ODBC
  EXPECT_STREQ(built, "sqlite, odbc");
#else
  EXPECT_STREQ(built, "sqlite");
  EXPECT_EQ(Db_ConnectWith("u", "p", "BDEPROD"), DB_BACKEND_MISSING);
#endif
  char small[8];
  EXPECT_STREQ(Db_BuiltBackends(small, sizeof small), "sqlite");  // cut at a whole name
}

}  // namespace
