// The server back end: what its driver reports becomes the program's result
// codes, the PostgreSQL dialect rewrites only what it must, and on a running
// server (VK_TEST_BACKEND=postgresql): refused and failed connects, a lost
// connection, and recovery after a failed change (this one on the embedded
// database as well). The memory of cursors: sql_memory_posix_test.cpp.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "db/backend/dialect.h"
#include "db/backend/odbc_errors.h"  // the mapping is built with the ODBC back end
#include "db/session.h"
#include "db/sql.h"
#include "run/download_main.h"
#include "tests/test_env.h"
#include "tests/test_server.h"

namespace {

#ifdef VK_HAVE_ODBC
TEST(OdbcMapping, DiagnosticsBecomeTheProgramsCodes) {
  struct Case {
    const char* state;
    const char* message;
    OdbcPhase phase;
    int32_t code;
  } cases[] = {
      // connecting
      {"08001", "FATAL:  password authentication failed for user \"bde\"", ODBC_CONNECTING, -1017},
      {"08001", "FATAL:  role \"nobody\" does not exist", ODBC_CONNECTING, -1017},
      {"28000", "[Oracle][ODBC][Ora]ORA-01017: invalid username/password; logon denied",
       ODBC_CONNECTING, -1017},
      {"08001", "could not connect to server: Connection refused", ODBC_CONNECTING, -12154},
      {"08001", "FATAL:  database \"nosuch\" does not exist", ODBC_CONNECTING, -12154},
      {"IM002", "[unixODBC][Driver Manager]Data source name not found", ODBC_CONNECTING, -12154},
      {"HY000", "[Oracle][ODBC][Ora]ORA-12541: TNS:no listener", ODBC_CONNECTING, -12541},
      // statements
      {"23505", "ERROR: duplicate key value violates unique constraint", ODBC_CONNECTED, -1},
      {"23000", "[Oracle][ODBC][Ora]ORA-00001: unique constraint violated", ODBC_CONNECTED, -1},
      {"23502", "ERROR: null value in column", ODBC_CONNECTED, -1400},
      {"22001", "ERROR: value too long for type character varying(30)", ODBC_CONNECTED, -12899},
      {"42P01", "ERROR: relation \"x\" does not exist", ODBC_CONNECTED, -942},
      {"42703", "ERROR: column \"x\" does not exist", ODBC_CONNECTED, -904},
      {"22007", "ERROR: invalid value \"x3\" for \"mm\"", ODBC_CONNECTED, -1858},
      {"22008", "date/time field value out of range: \"20241301\"", ODBC_CONNECTED, -1843},
      {"22008", "date/time field value out of range: \"20230229\"", ODBC_CONNECTED, -1847},
      {"22008", "date/time field value out of range: \"20240307250000\"", ODBC_CONNECTED, -1850},
      {"22008", "date/time field value out of range: \"20240307126100\"", ODBC_CONNECTED, -1851},
      {"22008", "date/time field value out of range: \"20240307120061\"", ODBC_CONNECTED, -1852},
      {"22P05", "ERROR: character with byte sequence 0xce 0xa9", ODBC_CONNECTED, -12703},
      {"55P03", "ERROR: could not obtain lock", ODBC_CONNECTED, -54},
      // the connection goes: first the end of the channel, then "not connected"
      {"57P01", "FATAL: terminating connection due to administrator command", ODBC_CONNECTED,
       -3113},
      {"08S01", "Could not send Query(connection dead)", ODBC_CONNECTED, -3113},
      {"HY000", "server closed the connection unexpectedly", ODBC_CONNECTED, -3113},
      {"08S01", "Could not send Query(connection dead)", ODBC_LOST, -3114},
      // anything else: negative, never 0
      {"HY000", "something unforeseen", ODBC_CONNECTED, SQL_ODBC_OTHER},
      {"", nullptr, ODBC_CONNECTED, SQL_ODBC_OTHER},
  };
  for (const Case& c : cases)
    EXPECT_EQ(OdbcErr_Map(c.state, 1, c.message, c.phase), c.code)
        << c.state << " " << (c.message ? c.message : "");
}
#endif

TEST(OdbcMapping, DialectsRewriteOnlyWhatTheirServerNeeds) {
  const char* read =
      "select KsgApg ,KsgKst into :b0:b1,:b2:b3  from Kvs537Ksg where ((KsgApg=:b0 and "
      "KsgGvo<=trunc(sysdate)) and (KsgGbi>trunc(sysdate) or KsgGbi is null ))";
  const char* upd =
      "update Kvs510Prv  set PrvGvo=TO_DATE(:b0,'yyyymmdd'),PrvDat=sysdate,"
      "PrvAvn=TO_DATE(:b1,'yyyymmddHH24MISS') where PrvPnr=:b2";
  const char* cur = "select TO_CHAR(PrvAvn,'yyyymmddHH24MISS')  from Kvs510Prv where PrvDwn=:b0";
  const std::string today =
      "coalesce(nullif(current_setting('vk.clock',true),'')::date,current_date)";
  const std::string now =
      "coalesce(nullif(current_setting('vk.clock',true),'')::timestamp(0),localtimestamp(0))";
  EXPECT_EQ(Dialect_Translate(DIALECT_POSTGRESQL, read),
            "select KsgApg ,KsgKst from Kvs537Ksg where ((KsgApg=? and KsgGvo<=" + today +
                ") and (KsgGbi>" + today + " or KsgGbi is null ))");
  EXPECT_EQ(Dialect_Translate(DIALECT_POSTGRESQL, upd),
            "update Kvs510Prv  set PrvGvo=to_timestamp(?,'yyyymmdd')::timestamp(0),PrvDat=" + now +
                ",PrvAvn=to_timestamp(?,'yyyymmddHH24MISS')::timestamp(0) where PrvPnr=?");
  EXPECT_EQ(Dialect_Translate(DIALECT_POSTGRESQL, cur),
            "select TO_CHAR(PrvAvn,'yyyymmddHH24MISS')  from Kvs510Prv where PrvDwn=?");
  // Oracle runs the texts as they stand, placeholders and INTO list aside.
  EXPECT_EQ(Dialect_Translate(DIALECT_ORACLE, upd),
            "update Kvs510Prv  set PrvGvo=TO_DATE(?,'yyyymmdd'),PrvDat=sysdate,"
            "PrvAvn=TO_DATE(?,'yyyymmddHH24MISS') where PrvPnr=?");
}

// The name of the test database on the server, from the configured value.
std::string ServerDb(const TestTree& tree) {
  size_t at = tree.net8().find("Database=");
  return at == std::string::npos ? "" : tree.net8().substr(at + 9);
}

class OdbcServer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Test_OnServer()) GTEST_SKIP() << "needs VK_TEST_BACKEND=postgresql";
    tree_.CreateDb();
  }
  TestTree tree_;
};

TEST_F(OdbcServer, ConnectFailuresHaveTheirCodes) {
  const std::string user = tree_.login(), pass = tree_.pass(), dsn = Test_ServerLogin().dsn;
  struct Case {
    std::string user, pass, net8;
    int32_t code;
  } cases[] = {
      {user, pass, tree_.net8(), 0},
      {user, pass, dsn, 0},  // a plain name is a data source
      {user, "wrong", tree_.net8(), SQL_LOGIN_REFUSED},
      {"nobody", pass, tree_.net8(), SQL_LOGIN_REFUSED},
      {user, pass, "NOSUCHDSN", SQL_NO_SUCH_DATABASE},
      {user, pass, "odbc:DSN=" + dsn + ";Database=nosuchdb", SQL_NO_SUCH_DATABASE},
      {user, pass, "odbc:DSN=" + dsn + ";Port=1", SQL_NO_SUCH_DATABASE},  // refused
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Db_ConnectWith(c.user.c_str(), c.pass.c_str(), c.net8.c_str()), c.code) << c.net8;
    dbDisconnect();
  }
}

TEST_F(OdbcServer, WrongPasswordEndsTheRunWithLoginRefused) {
  tree_.WriteConfig(tree_.login().c_str(), "wrong", tree_.net8().c_str());
  const char* args[] = {"velmarkon", "M1", "Kvs537Ksg"};
  int status = Download_Main(3, args, &kProgramEntries);
  EXPECT_EQ(status, ExitStatus(SQL_LOGIN_REFUSED));
  EXPECT_NE(status, 0);
  std::vector<std::string> want = {"dbConnect|Connect mit DB fehlgeschlagen|-1017"};
  EXPECT_EQ(LogEntries(tree_.log()), want);
}

TEST_F(OdbcServer, LostConnectionIsReportedAndNothingWaits) {
  ASSERT_EQ(Db_ConnectWith(tree_.login().c_str(), tree_.pass().c_str(), tree_.net8().c_str()), 0);
  tree_.Exec("INSERT INTO Kvs521Ubg (UbgUbg, UbgBez, UbgDwn) VALUES ('A1', 'eins', 'M1')");
  char key[5] = "A1", bez[31] = "";
  HostVar in[] = {HvStr(key)};
  HostVar out[] = {HvStr(bez)};
  SqlStmt read("select UbgBez into :b0:b1  from Kvs521Ubg where UbgUbg=:b0");
  SqlStmt cur("select UbgUbg  from Kvs521Ubg where UbgDwn=:b0 order by UbgUbg");
  SqlChange del = SQL_CHANGE("Ubg_PKeyDel", "delete  from Kvs521Ubg  where UbgUbg=:b0");
  ASSERT_EQ(Sql_SelectInto(&read, in, out), 0);

  TestServer admin("");
  admin.Exec("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '" +
             ServerDb(tree_) + "'");
  EXPECT_EQ(Sql_SelectInto(&read, in, out), SQL_EOF_COMMUNICATION);
  EXPECT_EQ(Sql_SelectInto(&read, in, out), SQL_NOT_CONNECTED);
  EXPECT_EQ(Sql_Open(&cur, in), SQL_NOT_CONNECTED);
  EXPECT_EQ(Sql_Change(&del, in), SQL_NOT_CONNECTED);
  EXPECT_EQ(dbCommit(), SQL_NOT_CONNECTED);
  EXPECT_EQ(tree_.Value("SELECT UbgBez FROM Kvs521Ubg WHERE UbgUbg='A1'"), "eins");

  // The next session works as before.
  ASSERT_EQ(Db_ConnectWith(tree_.login().c_str(), tree_.pass().c_str(), tree_.net8().c_str()), 0);
  EXPECT_EQ(Sql_Change(&del, in), 0);
  EXPECT_EQ(tree_.Value("SELECT UbgBez FROM Kvs521Ubg WHERE UbgUbg='A1'"), "<none>");
}

// A failed change or query does not spoil the session: the cursor goes on,
// and later changes commit. The first change after a commit is the case the
// PostgreSQL driver undoes by rolling back its whole transaction.
class SqlRecoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.Connect();
    tree_.Exec(
        "INSERT INTO Kvs521Ubg (UbgUbg, UbgBez, UbgDwn) VALUES ('A1', 'eins', 'M1'), "
        "('A2', 'zwei', 'M1'), ('A3', 'drei', 'M1'), ('A4', 'vier', 'M1')");
  }
  TestTree tree_;
};

TEST_F(SqlRecoveryTest, FailuresBetweenFetchesLeaveTheCursorAndLaterChangesAlone) {
  char marker[9] = "M1", key[5] = "", bez[40] = "", date[9] = "";
  HostVar cin[] = {HvStr(marker)};
  HostVar cout[] = {HvStr(key)};
  HostVar upd_in[] = {HvStr(bez), HvStr(key)};
  HostVar date_in[] = {HvStr(date)};
  HostVar date_out[] = {HvStr(bez)};
  SqlStmt cur("select UbgUbg  from Kvs521Ubg where UbgDwn=:b0 order by UbgUbg");
  SqlChange upd = SQL_CHANGE("Ubg_PKeyUpd", "update KVS521Ubg  set UbgBez=:b0 where UbgUbg=:b1");
  SqlStmt by_date("select UbgBez into :b0:b1  from Kvs521Ubg where UbgDat=TO_DATE(:b0,'yyyymmdd')");

  ASSERT_EQ(Sql_Open(&cur, cin), 0);
  std::string seen;
  for (int32_t rc; (rc = Sql_Fetch(&cur, cout)) == 0;) {
    seen += std::string(key) + ",";
    CopyText(bez, "neu");
    ASSERT_EQ(Sql_Change(&upd, upd_in), 0) << key;  // committed: the next change is the first
    memset(bez, 'x', 35);
    bez[35] = '\0';
    EXPECT_EQ(Sql_Change(&upd, upd_in), SQL_VALUE_TOO_LARGE) << key;
    CopyText(date, "2024x301");
    EXPECT_LT(Sql_SelectInto(&by_date, date_in, date_out), 0) << key;
  }
  EXPECT_EQ(seen, "A1,A2,A3,A4,");
  EXPECT_EQ(Sql_Close(&cur), 0);
  EXPECT_EQ(dbCommit(), 0);
  auto rows = tree_.Query("SELECT UbgUbg, UbgBez FROM Kvs521Ubg ORDER BY UbgUbg");
  std::vector<std::vector<std::string>> want = {
      {"A1", "neu"}, {"A2", "neu"}, {"A3", "neu"}, {"A4", "neu"}};
  EXPECT_EQ(rows, want);
}

}  // namespace
