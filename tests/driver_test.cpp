// The run driver with doubles in place of the table downloads: arguments,
// keywords, the dispatch order, result rules, log entries and exit status.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "run/download_main.h"
#include "tests/test_env.h"

namespace {

// What the doubles saw and what they answer.
struct Script {
  std::string trace;
  int32_t result[8] = {};  // by table, in the fixed order
  int32_t read_rc = 0;
  int32_t reset_rc = 0;
  UpdateRequest req;
};
Script g;

enum { APK, APP, APG, APL, UBG, PRV, KSG };

template <int T>
int32_t Dnl(const char* date, const char* time, const char* marker) {
  static const char* names[] = {"Apk", "App", "Apg", "Apl", "Ubg", "Prv", "Ksg"};
  EXPECT_EQ(strlen(date), 8u);
  EXPECT_EQ(strlen(time), 6u);
  g.trace += std::string(names[T]) + "_Dnl(" + marker + ") ";
  return g.result[T];
}

template <char C>
void Sel(const char* marker, char* from, char* to) {
  g.trace += std::string(1, C) + "_Sel(" + marker + "," + from + "," + to + ") ";
}

void AppSel(const char* marker, char* of, char* ot, char* pf, char* pt) {
  g.trace += std::string("App_Sel(") + marker + "," + of + "," + ot + "," + pf + "," + pt + ") ";
}

int32_t Read(UpdateRequest* req) {
  g.trace += "Upd_PKeyReadk ";
  if (g.read_rc == 0) *req = g.req;
  return g.read_rc;
}

int32_t Reset() {
  g.trace += "Upd_PKeyUpd ";
  return g.reset_rc;
}

#define FIELD(f) [](UpdateRequest& q) -> char* { return q.f; }

// The program's tables with doubles in their places.
const DownloadEntries kDoubles = {
    .tables =
        {
            {.keyword = "Kvs501Apk", .dnl_name = "Apk_Dnl", .dnl = Dnl<APK>,
             .sel_name = "Auk_To_Apk", .sel = Sel<'K'>, .op_sel = nullptr, .from = FIELD(UpdAkv),
             .to = FIELD(UpdAkb), .op_from = nullptr, .op_to = nullptr, .width = 12},
            {.keyword = "Kvs504App", .dnl_name = "App_Dnl", .dnl = Dnl<APP>, .sel_name = "App_Sel",
             .sel = nullptr, .op_sel = AppSel, .from = FIELD(UpdAav), .to = FIELD(UpdAab),
             .op_from = FIELD(UpdApv), .op_to = FIELD(UpdApb), .width = 12},
            {.keyword = "Kvs530Apg", .dnl_name = "Apg_Dnl", .dnl = Dnl<APG>, .sel_name = "Apg_Sel",
             .sel = Sel<'G'>, .op_sel = nullptr, .from = FIELD(UpdAgv), .to = FIELD(UpdAgb),
             .op_from = nullptr, .op_to = nullptr, .width = 10},
            {.keyword = "Kvs531Apl", .dnl_name = "Apl_Dnl", .dnl = Dnl<APL>, .sel_name = "Apl_Sel",
             .sel = Sel<'L'>, .op_sel = nullptr, .from = FIELD(UpdAlv), .to = FIELD(UpdAlb),
             .op_from = nullptr, .op_to = nullptr, .width = 10},
            {.keyword = "Kvs521Ubg", .dnl_name = "Ubg_Dnl", .dnl = Dnl<UBG>, .sel_name = "Ubg_Sel",
             .sel = Sel<'U'>, .op_sel = nullptr, .from = FIELD(UpdUgv), .to = FIELD(UpdUgb),
             .op_from = nullptr, .op_to = nullptr, .width = 5},
            {.keyword = "Kvs510Prv", .dnl_name = "Prv_Dnl", .dnl = Dnl<PRV>, .sel_name = "Prv_Sel",
             .sel = Sel<'P'>, .op_sel = nullptr, .from = FIELD(UpdPvv), .to = FIELD(UpdPvb),
             .op_from = nullptr, .op_to = nullptr, .width = 8},
            {.keyword = "Kvs537Ksg", .dnl_name = "Ksg_Dnl", .dnl = Dnl<KSG>, .sel_name = nullptr,
             .sel = nullptr, .op_sel = nullptr, .from = FIELD(UpdKsv), .to = FIELD(UpdKsb),
             .op_from = nullptr, .op_to = nullptr, .width = 5},
        },
    .Upd_PKeyReadk = Read,
    .Upd_PKeyUpd = Reset,
};

void Blank(UpdateRequest* r) {
  // Every field as the reset leaves it: blanks of the column's full width.
  auto fill = [](char* f, size_t size) {
    memset(f, ' ', size - 1);
    f[size - 1] = '\0';
  };
#define F(x) fill(r->x, sizeof r->x)
  F(UpdAkv);
  F(UpdAkb);
  F(UpdAav);
  F(UpdAab);
  F(UpdApv);
  F(UpdApb);
  F(UpdAlv);
  F(UpdAlb);
  F(UpdAgv);
  F(UpdAgb);
  F(UpdUgv);
  F(UpdUgb);
  F(UpdAuv);
  F(UpdAub);
  F(UpdPvv);
  F(UpdPvb);
  F(UpdKsv);
  F(UpdKsb);
#undef F
}

class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g = Script{};
    Blank(&g.req);
    tree_.CreateDb();
  }
  int Run(std::vector<const char*> args) {
    args.insert(args.begin(), "velmarkon");
    return Download_Main(static_cast<int>(args.size()), args.data(), &kDoubles);
  }
  std::vector<std::string> Log() { return LogEntries(tree_.log()); }
  TestTree tree_;
};

TEST_F(DriverTest, SingleTableRunsCallTheirDownload) {
  struct Case {
    const char* keyword;
    const char* trace;
  } cases[] = {
      {"Kvs501Apk", "Apk_Dnl(M1) "}, {"Kvs504App", "App_Dnl(M1) "}, {"Kvs530Apg", "Apg_Dnl(M1) "},
      {"Kvs531Apl", "Apl_Dnl(M1) "}, {"Kvs521Ubg", "Ubg_Dnl(M1) "}, {"Kvs510Prv", "Prv_Dnl(M1) "},
      {"Kvs537Ksg", "Ksg_Dnl(M1) "},
  };
  for (const Case& c : cases) {
    g.trace.clear();
    EXPECT_EQ(Run({"M1", c.keyword}), 0);
    EXPECT_EQ(g.trace, c.trace);
  }
  EXPECT_TRUE(Log().empty());
}

TEST_F(DriverTest, ArgumentsAreCutToTheirFields) {
  EXPECT_EQ(Run({"ABCDEFGHIJKL", "Kvs501ApkX"}), 0);
  EXPECT_EQ(g.trace, "Apk_Dnl(ABCDEFGH) ");
}

TEST_F(DriverTest, WrongArgumentCountFails) {
  EXPECT_EQ(Run({}), 255);
  EXPECT_EQ(Run({"M1", "Kvs501Apk", "extra"}), 255);
  EXPECT_EQ(g.trace, "");
  std::vector<std::string> want = {
      "Download_Main|Anzahl der Parametern|-1", "Download_Main|fehlerhaft beendet|-1",
      "Download_Main|Anzahl der Parametern|-1", "Download_Main|fehlerhaft beendet|-1"};
  EXPECT_EQ(Log(), want);
}

TEST_F(DriverTest, UnknownKeywordFailsTheRun) {
  EXPECT_EQ(Run({"M1", "kvs501apk"}), 255);
  EXPECT_EQ(g.trace, "");
  std::vector<std::string> want = {"Get_Download|Download->unbekannte Tabelle|0",
                                   "Download_Main|fehlerhaft beendet|-1"};
  EXPECT_EQ(Log(), want);
}

TEST_F(DriverTest, ResultOfTheDownloadIsTheExitStatus) {
  g.result[APP] = 1403;
  EXPECT_EQ(Run({"M1", "Kvs504App"}), 123);
  g.result[APP] = -1;
  EXPECT_EQ(Run({"M1", "Kvs504App"}), 255);
}

TEST_F(DriverTest, UpdateRequestRunsWhatIsRequestedInTheFixedOrder) {
  struct Case {
    const char* name;
    void (*fill)(UpdateRequest*);
    const char* trace;
  } cases[] = {
      {"nothing requested", [](UpdateRequest*) {}, "Upd_PKeyReadk Upd_PKeyUpd "},
      {"order headers only", [](UpdateRequest* r) { memcpy(r->UpdAkv, "000000000001", 12); },
       "Upd_PKeyReadk K_Sel(M1,000000000001,            ) Apk_Dnl(M1) Upd_PKeyUpd "},
      {"everything",
       [](UpdateRequest* r) {
         memcpy(r->UpdAkv, "1", 1);
         memcpy(r->UpdAav, "2", 1);
         memcpy(r->UpdApv, "00010", 5);
         memcpy(r->UpdAgv, "3", 1);
         memcpy(r->UpdAlv, "4", 1);
         memcpy(r->UpdUgv, "5", 1);
         memcpy(r->UpdPvv, "6", 1);
         memcpy(r->UpdKsv, "7", 1);
       },
       "Upd_PKeyReadk K_Sel(M1,1           ,            ) Apk_Dnl(M1) "
       "App_Sel(M1,2           ,            ,00010,     ) App_Dnl(M1) "
       "G_Sel(M1,3         ,          ) Apg_Dnl(M1) L_Sel(M1,4         ,          ) Apl_Dnl(M1) "
       "U_Sel(M1,5    ,     ) Ubg_Dnl(M1) P_Sel(M1,6       ,        ) Prv_Dnl(M1) Ksg_Dnl(M1) "
       "Upd_PKeyUpd "},
      {"only end fields and other pairs",
       [](UpdateRequest* r) {
         memcpy(r->UpdAkb, "999999999999", 12);
         memcpy(r->UpdAuv, "1", 1);
         memcpy(r->UpdKsb, "1", 1);
       },
       "Upd_PKeyReadk Upd_PKeyUpd "},
  };
  for (const Case& c : cases) {
    Blank(&g.req);
    c.fill(&g.req);
    g.trace.clear();
    EXPECT_EQ(Run({"M1"}), 0) << c.name;
    EXPECT_EQ(g.trace, c.trace) << c.name;
  }
  // The explicit ALL is the same run.
  Blank(&g.req);
  memcpy(g.req.UpdUgv, "A", 1);
  g.trace.clear();
  EXPECT_EQ(Run({"M1", "ALL"}), 0);
  EXPECT_EQ(g.trace, "Upd_PKeyReadk U_Sel(M1,A    ,     ) Ubg_Dnl(M1) Upd_PKeyUpd ");
  EXPECT_TRUE(Log().empty());
}

TEST_F(DriverTest, FailingDownloadIsNotHiddenByTheStepsAfterIt) {
  memcpy(g.req.UpdAkv, "1", 1);
  memcpy(g.req.UpdUgv, "1", 1);
  g.result[APK] = -3114;
  EXPECT_EQ(Run({"M1"}), ExitStatus(-3114));
  EXPECT_EQ(g.trace,
            "Upd_PKeyReadk K_Sel(M1,1           ,            ) Apk_Dnl(M1) "
            "U_Sel(M1,1    ,     ) Ubg_Dnl(M1) Upd_PKeyUpd ");
  g.result[APK] = 0;
  g.reset_rc = -54;
  EXPECT_EQ(Run({"M1"}), ExitStatus(-54));
  EXPECT_EQ(Log().back(), "Download_Main|Upd_PKeyUpd|-54");
}

TEST_F(DriverTest, MissingRequestIsReportedTwiceAndNotReset) {
  g.read_rc = 1403;
  EXPECT_EQ(Run({"M1"}), 123);
  EXPECT_EQ(g.trace, "Upd_PKeyReadk ");
  std::vector<std::string> want = {"Download_Main|Upd_PKeyReadk|1403",
                                   "Download_Main|fehlerhaft beendet|1403"};
  EXPECT_EQ(Log(), want);
}

TEST_F(DriverTest, FailedConnectEndsTheRunWithItsCode) {
  tree_.WriteConfig("bde", "secret", "sqlite:nowhere.db");
  EXPECT_EQ(Run({"M1", "Kvs501Apk"}), ExitStatus(-12154));
  EXPECT_NE(ExitStatus(-12154), 0);
  EXPECT_EQ(g.trace, "");
  std::vector<std::string> want = {"dbConnect|Connect mit DB fehlgeschlagen|-12154"};
  EXPECT_EQ(Log(), want);
}

TEST_F(DriverTest, ProgramBuildWiresNoDoubles) {
  // Entries the program is built without make the run fail, never succeed.
  DownloadEntries none = kDoubles;
  none.tables[0].dnl = nullptr;
  const char* args[] = {"velmarkon", "M1", "Kvs501Apk"};
  EXPECT_EQ(Download_Main(3, args, &none), 255);
  EXPECT_EQ(Log().back(), "Apk_Dnl|nicht verfuegbar|-1");
}

TEST(DriverRules, ExitStatusIsTheLowByteButNeverZeroForAFailure) {
  struct {
    int32_t result;
    int status;
  } cases[] = {{0, 0}, {-1, 255}, {1403, 123}, {256, 1}, {-256, 1}, {-942, 82}, {5, 5}};
  for (auto c : cases) EXPECT_EQ(ExitStatus(c.result), c.status) << c.result;
}

TEST(DriverRules, StartFieldSortsAfterItsBlanks) {
  struct {
    const char* field;
    bool after;
  } cases[] = {
      {"", false},      {"     ", false}, {"   ", false},  {"    1", true},     {"1", true},
      {"     x", true}, {"\x01", false},  {" \xE4", true}, {"    \x1f", false},
  };
  for (auto c : cases) EXPECT_EQ(SortsAfterBlanks(c.field, 5), c.after) << '"' << c.field << '"';
}

}  // namespace
