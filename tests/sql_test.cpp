// The statement layer on the embedded database: result codes, NULL and empty
// text, guarded changes, cursors that keep their rows while the session
// changes and commits, and Windows-1252 in the program against UTF-8 stored.
#include "db/sql.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "db/session.h"
#include "tests/test_env.h"
#include "tests/test_server.h"

namespace {

class SqlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_.Connect();
    tree_.Exec(
        "INSERT INTO Kvs521Ubg (UbgUbg, UbgKnz, UbgFbe, UbgBez, UbgDwn, UbgDna) VALUES "
        "('A1', 1, 'F1', 'eins', 'M1', 'NEU'), ('A2', 2, 'F1', NULL, 'M1', 'AEN'), "
        "('A3', 3, 'F2', 'drei', 'M1', 'LOE'), ('A4', 4, 'F2', 'vier', NULL, NULL);");
  }
  TestTree tree_;
};

TEST_F(SqlTest, ResultCodesOfTheEmbeddedDatabase) {
  char key[5] = "", bez[31] = "";
  HostVar in[] = {HvStr(key)};
  HostVar out[] = {HvStr(bez)};
  SqlStmt one("select UbgBez into :b0:b1  from Kvs521Ubg where UbgUbg=:b0");
  SqlStmt many("select UbgBez into :b0:b1  from Kvs521Ubg where UbgFbe=:b0");
  SqlStmt upd("update Kvs521Ubg set UbgBez='x' where UbgUbg=:b0");
  SqlStmt ins("update Kvs521Ubg set UbgUbg=:b0 where UbgUbg='A1'");
  SqlStmt nul("update Kvs521Ubg set UbgUbg=NULL where UbgUbg=:b0");
  SqlStmt wide("update Kvs521Ubg set UbgBez=:b0 where UbgUbg='A1'");
  SqlStmt table("select X into :b0:b1  from Kvs999Xyz where X=:b0");
  SqlStmt column("select UbgXyz into :b0:b1  from Kvs521Ubg where UbgUbg=:b0");

  CopyText(key, "A1");
  EXPECT_EQ(Sql_SelectInto(&one, in, out), 0);
  EXPECT_STREQ(bez, "eins");
  CopyText(key, "ZZ");
  EXPECT_EQ(Sql_SelectInto(&one, in, out), SQL_NOTFOUND);
  CopyText(key, "F1");
  EXPECT_EQ(Sql_SelectInto(&many, in, out), SQL_TOO_MANY_ROWS);
  CopyText(key, "ZZ");
  EXPECT_EQ(Sql_Exec(&upd, in), SQL_NOTFOUND);  // an update that touched no row
  CopyText(key, "A2");
  EXPECT_EQ(Sql_Exec(&ins, in), SQL_UNIQUE);
  EXPECT_EQ(Sql_Exec(&nul, in), SQL_NULL_NOT_ALLOWED);
  char text[40];
  memset(text, 'w', 31);
  text[31] = '\0';
  HostVar win[] = {HvStr(text)};
  EXPECT_EQ(Sql_Exec(&wide, win), SQL_VALUE_TOO_LARGE);
  EXPECT_EQ(Sql_SelectInto(&table, in, out), SQL_TABLE_UNKNOWN);
  EXPECT_EQ(Sql_SelectInto(&column, in, out), SQL_COLUMN_UNKNOWN);
  dbCommit();
}

TEST(SqlSession, ConnectFailuresHaveTheirCodes) {
  TestTree tree;
  EXPECT_EQ(Db_ConnectWith("u", "p", "sqlite:missing.db"), SQL_NO_SUCH_DATABASE);
  EXPECT_EQ(Db_ConnectWith("u", "p", ""), SQL_NO_SUCH_DATABASE);
  std::string long_name(95, 'x');
  EXPECT_EQ(Db_ConnectWith("user", "pass", ("sqlite:" + long_name).c_str()), SQL_LOGIN_REFUSED);
  char v[9] = "x";
  HostVar in[] = {HvStr(v)};
  SqlStmt st("update Kvs521Ubg set UbgBez='x' where UbgUbg=:b0");
  EXPECT_EQ(Sql_Exec(&st, in), SQL_NOT_CONNECTED);
  EXPECT_EQ(dbCommit(), SQL_NOT_CONNECTED);
}

TEST_F(SqlTest, NullFetchesAsEmptyAndEmptyBindsAsNull) {
  char key[5] = "A2", bez[31] = "stale", dwn[9] = "";
  int32_t knz = 7, sta = 9;
  HostVar in[] = {HvStr(key)};
  HostVar out[] = {HvStr(bez), HvI32(&knz), HvI32(&sta)};
  SqlStmt read(
      "select UbgBez ,UbgKnz ,UbgSta into :b0:b1,:b2:b3,:b4:b5  from Kvs521Ubg "
      "where UbgUbg=:b0");
  ASSERT_EQ(Sql_SelectInto(&read, in, out), 0);
  EXPECT_STREQ(bez, "");
  EXPECT_EQ(knz, 2);
  EXPECT_EQ(sta, 0);

  SqlChange ch = SQL_CHANGE("Ubg_PKeyUpd", "update KVS521Ubg  set UbgDwn=:b0 where UbgUbg=:b1");
  HostVar upd[] = {HvStr(dwn), HvStr(key)};
  ASSERT_EQ(Sql_Change(&ch, upd), 0);
  EXPECT_EQ(tree_.Value("SELECT UbgDwn FROM Kvs521Ubg WHERE UbgUbg='A2'"), "<NULL>");

  // A cursor comparing with an empty marker finds nothing, as NULL equals nothing.
  SqlStmt cur("select UbgUbg  from Kvs521Ubg where UbgDwn=:b0 order by UbgUbg");
  HostVar cin[] = {HvStr(dwn)};
  HostVar cout[] = {HvStr(key)};
  ASSERT_EQ(Sql_Open(&cur, cin), 0);
  EXPECT_EQ(Sql_Fetch(&cur, cout), SQL_NOTFOUND);
  EXPECT_EQ(Sql_Close(&cur), 0);
}

TEST_F(SqlTest, FailedChangeRollsBackToItsSavepointAndLaterChangesCommit) {
  char key[5] = "A1", bez[40];
  memset(bez, 'b', 35);
  bez[35] = '\0';
  SqlChange ch = SQL_CHANGE("Ubg_PKeyUpd", "update KVS521Ubg  set UbgBez=:b0 where UbgUbg=:b1");
  HostVar in[] = {HvStr(bez), HvStr(key)};
  EXPECT_EQ(Sql_Change(&ch, in), SQL_VALUE_TOO_LARGE);
  EXPECT_EQ(tree_.Value("SELECT UbgBez FROM Kvs521Ubg WHERE UbgUbg='A1'"), "eins");

  CopyText(bez, "neu");
  CopyText(key, "ZZ");  // touches no row: 1403, nothing committed
  EXPECT_EQ(Sql_Change(&ch, in), SQL_NOTFOUND);

  CopyText(key, "A1");
  EXPECT_EQ(Sql_Change(&ch, in), 0);
  // Committed by itself: another connection sees it before the end-of-run commit,
  // and another writer is not kept waiting by the failed change before it.
  EXPECT_EQ(tree_.Value("SELECT UbgBez FROM Kvs521Ubg WHERE UbgUbg='A1'"), "neu");
  tree_.Exec("UPDATE Kvs521Ubg SET UbgTxt='extern' WHERE UbgUbg='A4'");
}

// Changes kept for one round trip stand or fall together: each with the
// values it had when it was kept; nothing of them when one touches no row,
// fails, or another change came between.
TEST_F(SqlTest, DeferredChangesStandOrFallTogether) {
  SqlChange ch = SQL_CHANGE("Ubg_PKeyUpd", "update KVS521Ubg  set UbgBez=:b0 where UbgUbg=:b1");
  SqlStmt other("update KVS521Ubg  set UbgTxt='x' where UbgUbg='A4'");
  char key[5], bez[40];
  HostVar in[] = {HvStr(bez), HvStr(key)};
  struct Case {
    const char* what;
    const char* third_key;  // the third change's row
    size_t third_len;       // its value's length (too long for the column: it fails)
    bool other_between;     // a change run at once while the others are kept
    bool stands;
  } cases[] = {
      {"every change touches its row", "A3", 5, false, true},
      {"one touches no row", "ZZ", 5, false, false},
      {"one fails", "A3", 35, false, false},
      {"another change came between", "A3", 5, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    tree_.Exec("UPDATE Kvs521Ubg SET UbgBez='alt', UbgTxt=NULL");
    ASSERT_EQ(Sql_Begin(), 0);
    Sql_DeferBegin();
    const char* keys[] = {"A1", "A2", c.third_key};
    for (int i = 0; i < 3; ++i) {
      CopyText(key, keys[i]);
      memset(bez, 'n', sizeof bez);
      bez[i == 2 ? c.third_len : 4 + i] = '\0';  // "nnnn", "nnnnn", ...
      EXPECT_EQ(Sql_Change(&ch, in), 0);         // kept, not run
      if (i == 0 && c.other_between) {
        EXPECT_EQ(Sql_Exec(&other, nullptr, 0), 0);
      }
    }
    EXPECT_EQ(Sql_DeferCount(), 3);
    int32_t rc = Sql_DeferRun();
    EXPECT_EQ(rc == 0, c.stands) << rc;
    EXPECT_FALSE(Sql_Deferring());
    if (rc == 0) {
      EXPECT_TRUE(Sql_InUnit());
      EXPECT_EQ(Sql_End(true), 0);
    } else {
      EXPECT_FALSE(Sql_InUnit());  // rolled back
    }
    std::string want_a1 = c.stands ? "nnnn" : "alt", want_a2 = c.stands ? "nnnnn" : "alt";
    EXPECT_EQ(tree_.Value("SELECT UbgBez FROM Kvs521Ubg WHERE UbgUbg='A1'"), want_a1);
    EXPECT_EQ(tree_.Value("SELECT UbgBez FROM Kvs521Ubg WHERE UbgUbg='A2'"), want_a2);
    EXPECT_EQ(tree_.Value("SELECT UbgBez FROM Kvs521Ubg WHERE UbgUbg='A3'"),
              c.stands ? "nnnnn" : "alt");
    // The change between ran in the unit: it went with the unit's rollback.
    EXPECT_EQ(tree_.Value("SELECT coalesce(UbgTxt, '-') FROM Kvs521Ubg WHERE UbgUbg='A4'"), "-");
  }
  // A commit runs what is still kept; a rollback forgets it.
  tree_.Exec("UPDATE Kvs521Ubg SET UbgBez='alt'");
  for (bool commit : {true, false}) {
    ASSERT_EQ(Sql_Begin(), 0);
    Sql_DeferBegin();
    CopyText(key, "A1");
    CopyText(bez, commit ? "neu" : "nie");
    EXPECT_EQ(Sql_Change(&ch, in), 0);
    EXPECT_EQ(Sql_End(commit), 0);
    EXPECT_FALSE(Sql_Deferring());
    EXPECT_EQ(tree_.Value("SELECT UbgBez FROM Kvs521Ubg WHERE UbgUbg='A1'"), "neu");
  }
}

TEST_F(SqlTest, CursorKeepsItsRowsWhileTheSessionChangesAndCommits) {
  char marker[9] = "M1", key[5] = "", none[9] = "";
  HostVar in[] = {HvStr(marker)};
  HostVar out[] = {HvStr(key)};
  SqlStmt cur("select UbgUbg  from Kvs521Ubg where UbgDwn=:b0 order by UbgUbg");
  SqlChange unmark = SQL_CHANGE("Ubg_PKeyUpd", "update KVS521Ubg  set UbgDwn=:b0 where UbgUbg=:b1");
  SqlChange del = SQL_CHANGE("Ubg_PKeyDel", "delete  from Kvs521Ubg  where UbgUbg=:b0");
  HostVar del_in[] = {HvStr(key)};

  ASSERT_EQ(Sql_Open(&cur, in), 0);
  // Before the first fetch the session un-marks a row the cursor has not reached,
  // deletes another and marks a new one; all committed at once.
  char a2[5] = "A2", a3[5] = "A3", a4[5] = "A4";
  HostVar u2[] = {HvStr(none), HvStr(a2)};
  ASSERT_EQ(Sql_Change(&unmark, u2), 0);
  HostVar d3[] = {HvStr(a3)};
  ASSERT_EQ(Sql_Change(&del, d3), 0);
  HostVar m4[] = {HvStr(marker), HvStr(a4)};
  ASSERT_EQ(Sql_Change(&unmark, m4), 0);

  std::string seen;
  int32_t rc;
  while ((rc = Sql_Fetch(&cur, out)) == 0) {
    seen += std::string(key) + ",";
    ASSERT_EQ(Sql_Change(&del, del_in), key == std::string("A3") ? SQL_NOTFOUND : 0);
  }
  EXPECT_EQ(rc, SQL_NOTFOUND);
  EXPECT_EQ(seen, "A1,A2,A3,");  // as of the open, each once
  EXPECT_STREQ(key, "A3");       // the end leaves the record as it was
  EXPECT_EQ(Sql_Fetch(&cur, out), SQL_NOTFOUND);
  EXPECT_EQ(Sql_Close(&cur), 0);
  EXPECT_EQ(Sql_Fetch(&cur, out), SQL_CURSOR_INVALID);

  // Opened again, the cursor sees the committed state.
  ASSERT_EQ(Sql_Open(&cur, in), 0);
  ASSERT_EQ(Sql_Fetch(&cur, out), 0);
  EXPECT_STREQ(key, "A4");
  EXPECT_EQ(Sql_Fetch(&cur, out), SQL_NOTFOUND);
  EXPECT_EQ(Sql_Close(&cur), 0);
}

TEST_F(SqlTest, TextIsWindows1252InTheProgramAndUtf8Stored) {
  tree_.Exec("UPDATE Kvs521Ubg SET UbgBez='Sätze €', UbgTxt='ääääääääää' WHERE UbgUbg='A1'");
  tree_.Exec("UPDATE Kvs521Ubg SET UbgBez='Ω' WHERE UbgUbg='A3'");
  char key[5] = "A1", bez[31] = "", txt[4] = "";
  HostVar in[] = {HvStr(key)};
  HostVar out[] = {HvStr(bez), HvStr(txt)};
  SqlStmt read("select UbgBez ,UbgTxt into :b0:b1,:b2:b3  from Kvs521Ubg where UbgUbg=:b0");
  ASSERT_EQ(Sql_SelectInto(&read, in, out), 0);
  EXPECT_STREQ(bez, "S\xE4tze \x80");
  EXPECT_STREQ(txt, "\xE4\xE4\xE4");  // cut by characters to the field

  // A character without a Windows-1252 form: the embedded database gives
  // '?', the server refuses the row; either way the session goes on.
  CopyText(key, "A3");
  if (Test_OnServer()) {
    EXPECT_LT(Sql_SelectInto(&read, in, out), 0);
  } else {
    ASSERT_EQ(Sql_SelectInto(&read, in, out), 0);
    EXPECT_STREQ(bez, "?");
  }
  CopyText(key, "A1");

  char neu[31] =
      "Gr\xFC\xDF"
      "e \x80";
  SqlChange ch = SQL_CHANGE("Ubg_PKeyUpd", "update KVS521Ubg  set UbgBez=:b0 where UbgUbg=:b1");
  HostVar upd[] = {HvStr(neu), HvStr(key)};
  ASSERT_EQ(Sql_Change(&ch, upd), 0);
  EXPECT_EQ(tree_.Value("SELECT UbgBez FROM Kvs521Ubg WHERE UbgUbg='A1'"), "Grüße €");
  EXPECT_EQ(tree_.Value("SELECT length(UbgBez) FROM Kvs521Ubg WHERE UbgUbg='A1'"), "7");
}

TEST_F(SqlTest, NumbersTravelAtTheWidthOfTheirHostVariables) {
  // A stored value that does not fit its host variable fails its row with
  // the runtime's code; the values around it still arrive.
  struct Case {
    const char* stored;  // into UbgAst (an integer column) or UbgRst (a decimal one)
    const char* column;
    HostType type;
    bool wide;  // a 16-bit value held in 32 bits
    int32_t rc;
    double want;
  } cases[] = {
      {"32767", "UbgAst", HV_INT16, false, 0, 32767},
      {"-32768", "UbgAst", HV_INT16, true, 0, -32768},
      {"32768", "UbgAst", HV_INT16, false, SQL_OVERFLOW, 0},
      {"-32769", "UbgAst", HV_INT16, true, SQL_OVERFLOW, 0},
      {"2147483647", "UbgAst", HV_INT32, false, 0, 2147483647},
      {"-2147483649", "UbgAst", HV_INT32, false, SQL_OVERFLOW, 0},
      {"2.75", "UbgRst", HV_INT32, false, 0, 2},  // a fraction is cut toward zero
      {"-1e12", "UbgRst", HV_INT32, false, SQL_OVERFLOW, 0},
      {"2.75", "UbgRst", HV_FLOAT, false, 0, 2.75},
      {"'12'", "UbgAst", HV_INT32, false, 0, 12},
      {"'x1'", "UbgAst", HV_INT32, false, SQL_INVALID_NUMBER, 0},
      {"'1,5'", "UbgRst", HV_FLOAT, false, SQL_INVALID_NUMBER, 0},
      {"''", "UbgRst", HV_FLOAT, false, SQL_INVALID_NUMBER, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.column) + " = " + c.stored);
    try {
      tree_.Exec(std::string("UPDATE Kvs521Ubg SET ") + c.column + "=" + c.stored +
                 ", UbgBez='eins' WHERE UbgUbg='A1'");
    } catch (const std::exception&) {
      if (Test_OnServer()) continue;  // the server's column types refuse the value
      throw;
    }
    char key[5] = "A1", bez[31] = "";
    int16_t v16 = 0;
    int32_t v32 = 0;
    double vf = 0;
    HostVar value = c.type == HV_FLOAT   ? HvFlt(&vf)
                    : c.type == HV_INT32 ? HvI32(&v32)
                    : c.wide             ? HvI16w(&v32)
                                         : HvI16(&v16);
    HostVar in[] = {HvStr(key)};
    HostVar out[] = {value, HvStr(bez)};
    SqlStmt read(strcmp(c.column, "UbgAst") == 0
                     ? "select UbgAst ,UbgBez into :b0:b1,:b2:b3  from Kvs521Ubg where UbgUbg=:b0"
                     : "select UbgRst ,UbgBez into :b0:b1,:b2:b3  from Kvs521Ubg where UbgUbg=:b0");
    EXPECT_EQ(Sql_SelectInto(&read, in, out), c.rc);
    EXPECT_EQ(Sql_RowFailed(), c.rc != 0);
    EXPECT_STREQ(bez, "eins");  // the row's other values arrive all the same
    double got = c.type == HV_FLOAT ? vf : (c.type == HV_INT16 && !c.wide) ? v16 : v32;
    EXPECT_DOUBLE_EQ(got, c.want);
  }

  int16_t neg = -1;
  char key[5] = "A1";
  SqlChange ch = SQL_CHANGE("Ubg_PKeyUpd", "update KVS521Ubg  set UbgSta=:b0 where UbgUbg=:b1");
  HostVar upd[] = {HvI16(&neg), HvStr(key)};
  ASSERT_EQ(Sql_Change(&ch, upd), 0);
  EXPECT_EQ(tree_.Value("SELECT UbgSta FROM Kvs521Ubg WHERE UbgUbg='A1'"), "-1");
}

TEST_F(SqlTest, DatesFollowTheProgramsMasks) {
  tree_.Exec(
      "INSERT INTO Kvs510Prv (PrvPnr, PrvGvo, PrvAvn) VALUES ('P1', '2024-03-07', "
      "'2024-03-07 06:15:30'), ('P2', NULL, NULL);");
  char pnr[9] = "P1", gvo[9] = "", avn[15] = "", avt[7] = "";
  HostVar in[] = {HvStr(pnr)};
  HostVar out[] = {HvStr(gvo), HvStr(avn), HvStr(avt)};
  SqlStmt read(
      "select TO_CHAR(PrvGvo,'yyyymmdd') ,TO_CHAR(PrvAvn,'yyyymmddHH24MISS') ,"
      "TO_CHAR(PrvAvn,'HH24MISS') into :b0:b1,:b2:b3,:b4:b5  from Kvs510Prv where PrvPnr=:b0");
  ASSERT_EQ(Sql_SelectInto(&read, in, out), 0);
  EXPECT_STREQ(gvo, "20240307");
  EXPECT_STREQ(avn, "20240307061530");
  EXPECT_STREQ(avt, "061530");
  CopyText(pnr, "P2");
  ASSERT_EQ(Sql_SelectInto(&read, in, out), 0);
  EXPECT_STREQ(gvo, "");

  struct Case {
    const char* gvo;
    const char* avn;
    int32_t rc;
    const char* stored_gvo;
    const char* stored_avn;
  } cases[] = {
      {"20240229", "20240307061530", 0, "2024-02-29 00:00:00", "2024-03-07 06:15:30"},
      {"", "", 0, "<NULL>", "<NULL>"},
      {"20230229", "", -1847, nullptr, nullptr},
      {"20241301", "", -1843, nullptr, nullptr},
      {"2024x301", "", -1858, nullptr, nullptr},
  };
  SqlChange ch = SQL_CHANGE("Prv_PKeyUpd",
                            "update Kvs510Prv  set PrvGvo=TO_DATE(:b0,'yyyymmdd'),"
                            "PrvAvn=TO_DATE(:b1,'yyyymmddHH24MISS'),PrvDat=sysdate "
                            "where PrvPnr=:b2");
  CopyText(pnr, "P1");
  for (const Case& c : cases) {
    CopyText(gvo, c.gvo);
    CopyText(avn, c.avn);
    HostVar upd[] = {HvStr(gvo), HvStr(avn), HvStr(pnr)};
    EXPECT_EQ(Sql_Change(&ch, upd), c.rc) << c.gvo;
    if (c.rc != 0) continue;
    EXPECT_EQ(tree_.Value("SELECT PrvGvo FROM Kvs510Prv WHERE PrvPnr='P1'"), c.stored_gvo);
    EXPECT_EQ(tree_.Value("SELECT PrvAvn FROM Kvs510Prv WHERE PrvPnr='P1'"), c.stored_avn);
  }
  EXPECT_EQ(tree_.Value("SELECT PrvDat FROM Kvs510Prv WHERE PrvPnr='P1'").size(), 19u);
}

TEST_F(SqlTest, TodayComparesWithDatesStoredWithOrWithoutTime) {
  const std::string today = DateText(0), day = today.substr(0, 10);
  const std::string tomorrow = DateText(1).substr(0, 10);
  tree_.Exec(
      "INSERT INTO Kvs537Ksg (KsgApg, KsgGvo, KsgGbi, KsgKst) VALUES "
      "('G1', '" +
      day + "', '" + day +
      "', 'K1'),"
      "('G2', '" +
      today + "', '" + today +
      "', 'K2'),"
      "('G3', '" +
      tomorrow + "', NULL, 'K3');");
  char apg[11] = "", kst[11] = "";
  HostVar out[] = {HvStr(apg), HvStr(kst)};
  SqlStmt cur(
      "select KsgApg ,KsgKst  from Kvs537Ksg where (KsgGvo<=trunc(sysdate) and "
      "(KsgGbi is null  or KsgGbi>=trunc(sysdate))) order by KsgApg");
  ASSERT_EQ(Sql_Open(&cur, nullptr, 0), 0);
  std::string seen;
  while (Sql_Fetch(&cur, out) == 0) seen += std::string(apg) + ",";
  Sql_Close(&cur);
  EXPECT_EQ(seen, "G1,G2,");  // valid-to today counts, valid-from tomorrow does not
}

TEST_F(SqlTest, EveryStatementIsPreparedOnceAndReused) {
  SqlStmt st("select UbgBez into :b0:b1  from Kvs521Ubg where UbgUbg=:b0");
  char key[5] = "A1", bez[31];
  HostVar in[] = {HvStr(key)};
  HostVar out[] = {HvStr(bez)};
  ASSERT_EQ(Sql_SelectInto(&st, in, out), 0);
  void* first = st.handle;
  ASSERT_NE(first, nullptr);
  CopyText(key, "A3");
  ASSERT_EQ(Sql_SelectInto(&st, in, out), 0);
  EXPECT_EQ(st.handle, first);
  EXPECT_STREQ(bez, "drei");
}

// Every statement the program holds prepares against the schema: a typo in a
// statement text fails here, not in a factory's run.
TEST(SqlProgramStatements, AllPrepareAgainstTheSchema) {
  TestTree tree;
  tree.Connect();
  static std::string failures;
  failures.clear();
  int failed = Sql_PrepareAll([](const char* text, int32_t code) {
    failures += std::to_string(code) + ": " + text + "\n";
  });
  EXPECT_EQ(failed, 0) << failures;
}

}  // namespace
