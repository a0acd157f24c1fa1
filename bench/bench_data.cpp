// The benchmark's cases and their rows (see bench_data.h). Values look like
// a site's: order numbers of 12 digits, part and customer names with umlauts,
// dates around today, action codes mostly "NEU" and "AEN" with a few "LOE".
#include "bench/bench_data.h"

#include <cstdio>
#include <ctime>

#include "bench/bench_db.h"

namespace {

const std::vector<BenchCase> kCases = {
    {"apk", "Kvs501Apk order headers", "Kvs501Apk"},
    {"app", "Kvs504App operations", "Kvs504App"},
    {"apg", "Kvs530Apg workplace groups", "Kvs530Apg"},
    {"apl", "Kvs531Apl workplaces", "Kvs531Apl"},
    {"ubg", "Kvs521Ubg interruption reasons", "Kvs521Ubg"},
    {"prv", "Kvs510Prv personnel", "Kvs510Prv"},
    {"ksg", "Kvs537Ksg cost-centre list", "Kvs537Ksg"},
    {"upd", "update request: order headers", nullptr},
    {"upd-all", "update request: every range", nullptr},
};

// Six production areas; three terminal groups serve two each. Five areas are
// of type 1 and receive the cost-centre list.
const char* const kAreas[] = {"FB10", "FB11", "FB20", "FB21", "FB30", "FB31"};
constexpr long kAreaCount = 6;
constexpr long kListAreas = 5;
const char* const kCostCentres[] = {"4100", "4200", "4710", "5100", "5300", "6120"};

const char* const kParts[] = {"Antriebswelle", "Getriebegehäuse", "Flansch DN50", "Lagerbock",
                              "Zahnrad Z32",   "Deckel",          "Hülse 20x2",   "Spindel",
                              "Kupplungsnabe", "Führungsschiene"};
const char* const kCustomers[] = {"Muster GmbH", "Beispiel AG", "Nordwerk KG", "Südmetall GmbH"};
const char* const kSteps[] = {"Drehen",  "Fräsen",    "Bohren", "Schleifen",
                              "Montage", "Entgraten", "Prüfen", "Härten"};
const char* const kStepDetails[] = {"Außendurchmesser", "Dichtflächen", "Lagersitze", "komplett",
                                    "Passung H7"};
const char* const kGroups[] = {"Dreherei",    "Fräserei", "Montage",
                               "Schleiferei", "Prüffeld", "Härterei"};
const char* const kReasons[] = {"Materialmangel",   "Werkzeugwechsel", "Maschinenstörung",
                                "Qualitätsprüfung", "Reinigung",       "Rüsten"};
const char* const kNames[] = {"Maier, Anna", "Huber, Bernd",  "Kern, Clara",  "Lang, Dieter",
                              "Moser, Eva",  "Schäfer, Jörg", "Weiß, Günter", "Öztürk, Aylin"};
const char* const kTowns[] = {"Nordstadt", "Südheim", "Am Weiher", "Oberau"};

template <class T, size_t N>
const T& Pick(const T (&list)[N], long i) {
  return list[static_cast<size_t>(i) % N];
}

std::string Q(const std::string& s) { return "'" + s + "'"; }

std::string Num(long v) { return std::to_string(v); }

std::string Fmt(const char* fmt, long v) {
  char buf[32];
  snprintf(buf, sizeof buf, fmt, v);
  return buf;
}

std::string Dbl(double v) {
  char buf[32];
  snprintf(buf, sizeof buf, "%.3f", v);
  return buf;
}

// A local date days from today, at the given time of day, as a literal.
std::string Date(long days, const char* time = "00:00:00") {
  time_t now = ::time(nullptr);
  struct tm tm;
  localtime_r(&now, &tm);
  tm.tm_mday += static_cast<int>(days);
  tm.tm_hour = 12;  // away from a change of daylight saving time
  tm.tm_isdst = -1;
  mktime(&tm);
  char buf[40];
  snprintf(buf, sizeof buf, "'%04d-%02d-%02d %s'", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
           time);
  return buf;
}

// Action codes: of every 20 rows, neu are "NEU", loe are "LOE", the rest "AEN".
const char* Action(long i, long neu, long loe) {
  long k = i % 20;
  if (k < neu) return "NEU";
  if (k >= 20 - loe) return "LOE";
  return "AEN";
}

// Rows go in INSERT statements of a few hundred rows each.
class Inserter {
 public:
  Inserter(BenchDb* db, const char* table, const char* columns)
      : db_(db), head_(std::string("INSERT INTO ") + table + " (" + columns + ") VALUES ") {}
  ~Inserter() { Flush(); }

  void Row(const std::vector<std::string>& values) {
    sql_ += n_ ? ",\n(" : "(";
    for (size_t i = 0; i < values.size(); ++i) sql_ += (i ? "," : "") + values[i];
    sql_ += ")";
    if (++n_ == 250) Flush();
  }

  void Flush() {
    if (n_ == 0) return;
    db_->Exec(head_ + sql_);
    sql_.clear();
    n_ = 0;
  }

 private:
  BenchDb* db_;
  std::string head_, sql_;
  int n_ = 0;
};

struct Marks {
  std::string dna, dwn;  // literals: the action code and marker, or NULL
};

Marks Marked(bool marked, const char* action) {
  if (!marked) return {"NULL", "NULL"};
  return {Q(action), Q(BENCH_MARKER)};
}

std::string OrderKey(long i) { return Fmt("%012ld", 4700000 + i); }
std::string GroupKey(long g) { return Fmt("%06ld", 100000 + g); }

// Order headers; ops: the operations each header has.
void LoadApk(BenchDb* db, long n, bool marked, long ops) {
  Inserter ins(db, "Kvs501Apk",
               "ApkApk, ApkBz1, ApkBz2, ApkTxt, ApkSts, ApkSis, ApkKun, ApkKb1, ApkKb2, ApkBgs, "
               "ApkEns, ApkAfo, ApkEaf, ApkTnr, ApkTb1, ApkTb2, ApkSme, ApkIme, ApkMee, ApkBdi, "
               "ApkEdi, ApkFbe, ApkKst, ApkZf1, ApkZf2, ApkZf3, ApkKnz, ApkSsn, ApkDna, ApkDwn, "
               "ApkSta, ApkDat, ApkErf, ApkAba");
  for (long i = 0; i < n; ++i) {
    Marks m = Marked(marked, Action(i, 12, 1));
    const bool started = i % 3 == 0;
    ins.Row({Q(OrderKey(i)),
             Q(Pick(kParts, i)),
             Q(i % 4 ? "Serie 2024" : "Nachserie"),
             Q(Fmt("AW-%ld", 10 + i % 90)),
             Num(started ? 10 : 3),
             "0",
             Q(Fmt("%07ld", 1002000 + i % 400)),
             Q(Pick(kCustomers, i)),
             i % 5 ? "NULL" : Q("Werk Süd"),
             Date(i % 30 - 10),
             Date(i % 30 + 5),
             Num(ops),
             Num(started ? 1 : 0),
             Q(Fmt("AW-40-%03ld", i % 1000)),
             Q(Pick(kParts, i / 10)),
             Q(i % 2 ? "gehärtet" : "roh"),
             Dbl(static_cast<double>(10 * (i % 40 + 1))),
             started ? Dbl(12.5 * static_cast<double>(i % 8)) : "0",
             Q("STK"),
             started ? Date(-3, "06:00:00") : "NULL",
             "NULL",
             Q(Pick(kAreas, i)),
             Q(Pick(kCostCentres, i)),
             Q(Fmt("Los %ld", i % 9 + 1)),
             Q(""),
             Q(""),
             Q(i % 7 ? "N" : "J"),
             "0",
             m.dna,
             m.dwn,
             "0",
             Date(-1, "16:12:00"),
             Q("planung"),
             "0"});
  }
}

// Operations, five to an order header.
void LoadApp(BenchDb* db, long n, bool marked) {
  Inserter ins(db, "Kvs504App",
               "AppApk, AppApp, AppVaf, AppNaf, AppBz1, AppBz2, AppTxt, AppSts, AppSis, AppBds, "
               "AppEds, AppAgs, AppAbs, AppAes, AppSme, AppIme, AppAme, AppMee, AppSza, AppStr, "
               "AppSte, AppApg, AppApl, AppFbe, AppKst, AppZf1, AppZf2, AppZf3, AppKnz, AppDna, "
               "AppDwn, AppSsn, AppSta, AppDat, AppErf");
  for (long i = 0; i < n; ++i) {
    Marks m = Marked(marked, Action(i, 17, 1));
    const long op = i % 5;
    const long order = i / 5;
    ins.Row({Q(OrderKey(order)),
             Q(Fmt("%05ld", 10 * (op + 1))),
             Q(op ? Fmt("%05ld", 10 * op) : "00000"),
             Q(op < 4 ? Fmt("%05ld", 10 * (op + 2)) : "00000"),
             Q(Pick(kSteps, i)),
             Q(Pick(kStepDetails, i)),
             Q(Fmt("S%ld", op + 1)),
             "3",
             "0",
             Date(order % 30 - 10 + op),
             Date(order % 30 - 9 + op),
             "0",
             "0",
             "0",
             Dbl(static_cast<double>(10 * (order % 40 + 1))),
             "0",
             "0",
             Q("STK"),
             Dbl(0.25 * static_cast<double>(op)),
             Dbl(1.25),
             Dbl(0.5),
             Q(GroupKey(op)),
             op % 2 ? "NULL" : Q(Fmt("%07ld", 1000000 + 10 * op + order % 10)),
             Q(Pick(kAreas, order)),
             Q(Pick(kCostCentres, order)),
             Q(""),
             Q(""),
             Q(""),
             Q("N"),
             m.dna,
             m.dwn,
             "0",
             "0",
             Date(-1, "16:12:00"),
             Q("planung")});
  }
}

// The cost-centre assignments that make groups first to count-1 current.
void LoadKsg(BenchDb* db, long count) {
  Inserter ins(db, "Kvs537Ksg", "KsgApg, KsgGvo, KsgGbi, KsgFbe, KsgKst, KsgSta, KsgErf");
  for (long g = 0; g < count; ++g)
    ins.Row({Q(GroupKey(g)), Date(-400 - g % 30), g % 3 ? "NULL" : Date(365), Q(Pick(kAreas, g)),
             Q(Pick(kCostCentres, g)), "0", Q("planung")});
}

void LoadApg(BenchDb* db, long n, bool marked) {
  Inserter ins(db, "Kvs530Apg",
               "ApgApg, ApgBez, ApgTxt, ApgKst, ApgFbe, ApgZf1, ApgZf2, ApgZf3, ApgApl, ApgTag, "
               "ApgKap, ApgDna, ApgDwn, ApgSta, ApgDat, ApgErf");
  for (long g = 0; g < n; ++g) {
    Marks m = Marked(marked, Action(g, 12, 1));
    ins.Row({Q(GroupKey(g)), Q(Pick(kGroups, g)), Q(Fmt("GR%ld", g % 100)),
             Q(Pick(kCostCentres, g)), Q(Pick(kAreas, g)), g % 2 ? "NULL" : Q("Schicht 1"),
             g % 4 ? "NULL" : Q("Meister Halle 1"), "NULL", Num(g % 5 + 1), "5",
             Dbl(8.0 * static_cast<double>(g % 3 + 1)), m.dna, m.dwn, "0", Date(-30, "08:00:00"),
             Q("planung")});
  }
}

// Workplaces, ten to a group; groups and their assignments are loaded too.
void LoadApl(BenchDb* db, long n, bool marked) {
  Inserter ins(db, "Kvs531Apl",
               "AplApl, AplBez, AplTxt, AplApg, AplFbe, AplSts, AplSis, AplApr, AplAaf, AplUbg, "
               "AplUdt, AplZf1, AplZf2, AplZf3, AplTag, AplKap, AplDna, AplDwn, AplSta, AplDat, "
               "AplErf");
  for (long i = 0; i < n; ++i) {
    Marks m = Marked(marked, Action(i, 12, 1));
    const long g = i / 10;
    ins.Row({Q(Fmt("%07ld", 1000000 + i)),
             Q(std::string(Pick(kSteps, g)) + Fmt(" %ld", i % 10 + 1)),
             Q(Fmt("WP%ld", i % 1000)),
             Q(GroupKey(g)),
             Q(Pick(kAreas, g)),
             Num(i % 2),
             "0",
             Num(i % 3),
             "0",
             i % 5 ? "NULL" : Q("ST01"),
             i % 5 ? "NULL" : Date(-2, "06:00:00"),
             i % 3 ? "NULL" : Q("CNC"),
             "NULL",
             "NULL",
             "5",
             Dbl(8.0),
             m.dna,
             m.dwn,
             "0",
             Date(-30, "08:00:00"),
             Q("planung")});
  }
}

// Keys of interruption reasons: a digit, then three of 0-9A-Z ("1ST0").
std::string ReasonKey(long i) {
  const char* digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string k(4, '0');
  k[0] = static_cast<char>('1' + (i / (36 * 36 * 36)) % 9);
  k[1] = digits[(i / (36 * 36)) % 36];
  k[2] = digits[(i / 36) % 36];
  k[3] = digits[i % 36];
  return k;
}

void LoadUbg(BenchDb* db, long n, bool marked) {
  Inserter ins(db, "Kvs521Ubg",
               "UbgUbg, UbgKnz, UbgFbe, UbgBez, UbgTxt, UbgAst, UbgDna, UbgDwn, UbgSta, UbgDat, "
               "UbgErf");
  for (long i = 0; i < n; ++i) {
    Marks m = Marked(marked, Action(i, 12, 1));
    ins.Row({Q(ReasonKey(i)), Num(i % 2 + 1), Q(Pick(kAreas, i)), Q(Pick(kReasons, i)),
             i % 4 ? Q(Fmt("ST%ld", i % 100)) : "NULL", "0", m.dna, m.dwn, "0",
             Date(-7, "08:00:00"), Q("planung")});
  }
}

// Personnel: a few leave ("LOE" with PrvAwa 3: deleted) and a few withdrawn
// absences ("LOE" with PrvAwa 2: emptied).
void LoadPrv(BenchDb* db, long n, bool marked) {
  Inserter ins(db, "Kvs510Prv",
               "PrvPnr, PrvGvo, PrvGbi, PrvBer, PrvKst, PrvFbe, PrvMmb, PrvDna, PrvDwn, PrvAwa, "
               "PrvAwn, PrvAnw, PrvAvn, PrvAbi, PrvApl, PrvApp, PrvSta, PrvDat, PrvErf, PrvPzm, "
               "PrvNam, PrvStr, PrvOrt");
  for (long i = 0; i < n; ++i) {
    const char* action = Action(i, 10, 2);
    Marks m = Marked(marked, action);
    const bool loe = action[0] == 'L';
    const long awa = loe ? (i % 2 ? 3 : 2) : 0;
    ins.Row({Q(Fmt("%06ld", 100000 + i)),
             Date(-(i % 3000) - 30),
             awa == 3 ? Date(-1) : "NULL",
             Num(i % 2 + 1),
             Q(Pick(kCostCentres, i)),
             Q(Pick(kAreas, i)),
             "0",
             m.dna,
             m.dwn,
             Num(awa),
             awa ? Q("URL") : Q(Fmt("U%ld", i % 9 + 1)),
             Num(awa ? 1 : 0),
             awa ? Date(2, "06:00:00") : "NULL",
             awa ? Date(9, "14:00:00") : "NULL",
             Num(awa ? 3 : 0),
             Num(awa ? 4 : 0),
             "0",
             Date(-1, "08:00:00"),
             Q("planung"),
             "0",
             Q(Pick(kNames, i)),
             Q(Fmt("Hauptstraße %ld", i % 120 + 1)),
             Q(Pick(kTowns, i))});
  }
}

// Cost centres (the list sends each for the five areas of type 1): the six
// that the rows name, then numbered ones.
void LoadCostCentres(BenchDb* db, long count) {
  Inserter ins(db, "o1003Kststelle", "KstNum, KstBez");
  for (long i = 0; i < count; ++i)
    ins.Row({Q(i < 6 ? std::string(kCostCentres[i]) : Fmt("%06ld", 400000 + i)),
             Q(std::string(Pick(kGroups, i)) + Fmt(" %ld", i + 1))});
}

void LoadCommon(BenchDb* db) {
  db->Exec(
      "INSERT INTO Kvs557Cfg (CfgDta, CfgIP, CfgPrt, CfgBez, CfgVn1, CfgBi1, CfgSta, CfgErf) "
      "VALUES (1, '192.168.10.21', '4711', 'Halle 1', 'FB10', 'FB19', 0, 'planung'),"
      "(2, '192.168.20.7', '502', 'Halle 2', 'FB20', 'FB29', 0, 'planung'),"
      "(3, '192.168.30.15', '4711', 'Halle 3', 'FB30', 'FB39', 0, 'planung')");
  Inserter ins(db, "Kvs559Fbe", "FbeFbe, FbeBez, FbeTyp");
  for (long a = 0; a < kAreaCount; ++a)
    ins.Row({Q(kAreas[a]), Q(Fmt("Bereich %ld", a + 1)), a < kListAreas ? "1" : "2"});
}

void LoadRequest(BenchDb* db, bool every) {
  const std::string b12 = Q("            "), b10 = Q("          "), b8 = Q("        "),
                    b5 = Q("     ");
  db->Exec(
      "INSERT INTO Kvs543Upd (UpdKey, UpdAkv, UpdAkb, UpdAav, UpdAab, UpdApv, UpdApb, UpdAlv, "
      "UpdAlb, UpdAgv, UpdAgb, UpdUgv, UpdUgb, UpdAuv, UpdAub, UpdPvv, UpdPvb, UpdKsv, UpdKsb, "
      "UpdDat, UpdErf) VALUES ('UPD', '000000000001', '999999999999', " +
      (every ? "'000000000000', '999999999999', '00000', '99999', '0000000000', '9999999999', "
               "'0000000000', '9999999999', '00000', '99999', "
             : b12 + "," + b12 + "," + b5 + "," + b5 + "," + b10 + "," + b10 + "," + b10 + "," +
                   b10 + "," + b5 + "," + b5 + ",") +
      b5 + "," + b5 + "," +
      (every ? "'00000000', '99999999', '00000', '99999'" : b8 + "," + b8 + "," + b5 + "," + b5) +
      ", " + Date(-1, "17:00:00") + ", 'planung')");
}

// A table's segment: its marker, change-time and area columns are named
// after the table's three-letter code ("Apk": ApkDwn, ApkDat, ApkFbe).
FloorSegment Segment(const char* table, std::vector<std::string> keys, bool marked, int records,
                     long rows) {
  const std::string code = table[0] ? std::string(table).substr(6, 3) : "";
  FloorSegment s;
  s.table = table;
  if (!code.empty()) {
    s.marker_column = code + "Dwn";
    s.time_column = code + "Dat";
    s.area_column = code + "Fbe";
  }
  s.key_columns = std::move(keys);
  s.marked = marked;
  s.records = records;
  s.rows = rows;
  return s;
}

}  // namespace

const std::vector<BenchCase>& Bench_Cases() { return kCases; }

const BenchCase* Bench_FindCase(const std::string& name) {
  for (const BenchCase& c : kCases)
    if (name == c.name) return &c;
  return nullptr;
}

CaseData Bench_Load(BenchDb* db, const BenchCase& c, long rows, const std::string& schema) {
  db->Exec(schema);
  db->Begin();
  LoadCommon(db);
  CaseData d{rows, rows, {}};
  long centres = 6;
  const std::string name = c.name;
  const FloorSegment apk = Segment("Kvs501Apk", {"ApkApk"}, true, 1, rows);
  if (name == "apk") {
    LoadApk(db, rows, true, 0);
    d.floors = {apk};
  } else if (name == "app") {
    LoadApk(db, (rows + 4) / 5, false, 5);
    LoadApp(db, rows, true);
    d.floors = {Segment("Kvs504App", {"AppApk", "AppApp"}, true, 1, rows)};
  } else if (name == "apg") {
    LoadKsg(db, rows);
    LoadApg(db, rows, true);
    d.floors = {Segment("Kvs530Apg", {"ApgApg"}, true, 1, rows)};
  } else if (name == "apl") {
    const long groups = (rows + 9) / 10;
    LoadKsg(db, groups);
    LoadApg(db, groups, false);
    LoadApl(db, rows, true);
    d.floors = {Segment("Kvs531Apl", {"AplApl"}, true, 1, rows)};
  } else if (name == "ubg") {
    LoadUbg(db, rows, true);
    d.floors = {Segment("Kvs521Ubg", {"UbgUbg"}, true, 1, rows)};
  } else if (name == "prv") {
    LoadPrv(db, rows, true);
    d.records = 2 * rows;
    d.floors = {Segment("Kvs510Prv", {"PrvPnr"}, true, 2, rows)};
  } else if (name == "ksg") {
    centres = (rows + kListAreas - 1) / kListAreas;
    d.rows = d.records = centres * kListAreas;
    d.floors = {Segment("", {}, false, 1, d.rows)};
  } else if (name == "upd") {
    LoadApk(db, rows, false, 0);
    LoadRequest(db, false);
    d.floors = {Segment("Kvs501Apk", {"ApkApk"}, false, 1, rows)};
  } else {  // upd-all: the rows split over the seven downloads
    const long each = rows / 7 > 0 ? rows / 7 : 1;
    centres = (each + kListAreas - 1) / kListAreas;
    LoadApk(db, each, false, 5);
    LoadApp(db, each, false);
    LoadKsg(db, each);
    LoadApg(db, each, false);
    LoadApl(db, each, false);
    LoadUbg(db, each, false);
    LoadPrv(db, each, false);
    LoadRequest(db, true);
    d.rows = 6 * each + centres * kListAreas;
    d.records = 7 * each + centres * kListAreas;
    d.floors = {Segment("Kvs501Apk", {"ApkApk"}, false, 1, each),
                Segment("Kvs504App", {"AppApk", "AppApp"}, false, 1, each),
                Segment("Kvs530Apg", {"ApgApg"}, false, 1, each),
                Segment("Kvs531Apl", {"AplApl"}, false, 1, each),
                Segment("Kvs521Ubg", {"UbgUbg"}, false, 1, each),
                Segment("Kvs510Prv", {"PrvPnr"}, false, 2, each),
                Segment("", {}, false, 1, centres * kListAreas)};
  }
  LoadCostCentres(db, centres);
  db->Commit();
  return d;
}
