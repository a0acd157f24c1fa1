// The six tables whose rows are released, described once for the tests that
// run the same story on every one of them: how to insert a marked row, where
// its key stands in its record, which of its columns can carry a value that
// fails its row, and the log texts of its download.
#pragma once

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "tests/test_env.h"
#include "tests/ubg_prv_records.h"

struct TableCase {
  const char* keyword;       // the table keyword of the command line
  const char* dnl;           // function name of the download's log entries
  const char* prefix;        // the three letters of its columns ("Apk")
  const char* key_col;       // the key column (order operations: the order number)
  const char* record;        // the record's table code
  size_t key_at, key_width;  // where the key stands in the record's body
  bool has_dat;              // the download cursor delivers the change time
  const char* date_col;      // a date the cursor converts (nullptr: none)
  const char* number_col;    // a number column the cursor reads
  const char* too_large;     // a value beyond that column's host variable
  const char* name_col;      // a text column that is no key
  int records_per_row;

  std::string Table() const { return keyword; }  // the keyword is the table's name
  std::string Dwn() const { return std::string(prefix) + "Dwn"; }
  std::string Dna() const { return std::string(prefix) + "Dna"; }
  std::string SendFailure() const {
    return std::string("Fehler beim Senden von ") + prefix + "S\xE4tze";
  }
  std::string ReadFailure() const { return std::string("Lesefehler ") + prefix + "Satz"; }

  // The i-th key of the tests (order operations: order and operation number).
  std::string Key(int i) const {
    char buf[32];
    switch (record[1]) {
      case 'P':  // APK, APP
        if (record[2] == 'K') {
          snprintf(buf, sizeof buf, "%012d", 1000 + i);
        } else {
          snprintf(buf, sizeof buf, "000000001000%05d", 10 * i);
        }
        break;
      case 'A':  // MAG, MAS: groups and workplaces apart, each its own assignment
        snprintf(buf, sizeof buf, "%010d", (record[2] == 'G' ? 2000 : 5000) + i);
        break;
      case 'B':  // UBG
        snprintf(buf, sizeof buf, "R%03d", i);
        break;
      default:  // PNR
        snprintf(buf, sizeof buf, "%08d", 3000 + i);
    }
    return buf;
  }
  // The SQL condition that selects the row of key; with a qualifier ("NEW."
  // in a trigger) before each column.
  std::string Where(const std::string& key, const std::string& q = "") const {
    if (std::string(record) == "APP")
      return q + "AppApk = '" + key.substr(0, 12) + "' AND " + q + "AppApp = '" + key.substr(12) +
             "'";
    return q + key_col + " = '" + key + "'";
  }

  // A row of key marked with dwn and dna, in production area fbe (FB01:
  // terminal group 1, FB02 and FB03: group 2, FB99: none); name goes into
  // name_col;
  // groups and workplaces get a cost-centre assignment valid today.
  void Insert(const TestTree& t, const std::string& key, const std::string& dwn,
              const std::string& dna, const std::string& name = "Name",
              const std::string& fbe = "FB01") const {
    auto q = [](const std::string& x) { return x.empty() ? std::string("NULL") : "'" + x + "'"; };
    const std::string v = q(fbe) + ", " + q(dwn) + ", " + q(dna) + ", " + q(name);
    const std::string r = record;
    if (r == "APK") {
      t.Exec("INSERT INTO Kvs501Apk (ApkApk, ApkFbe, ApkDwn, ApkDna, ApkBz1, ApkDat, ApkAfo, "
             "ApkSts) VALUES ('" + key + "', " + v + ", '2024-03-01 12:00:00', 0, 3)");
    } else if (r == "APP") {
      t.Exec("INSERT INTO Kvs504App (AppApk, AppApp, AppFbe, AppDwn, AppDna, AppBz1, AppDat, "
             "AppSts) VALUES ('" + key.substr(0, 12) + "', '" + key.substr(12) + "', " + v +
             ", '2024-03-01 12:00:00', 3)");
    } else if (r == "MAG" || r == "MAS") {
      if (r == "MAG")
        t.Exec("INSERT INTO Kvs530Apg (ApgApg, ApgFbe, ApgDwn, ApgDna, ApgBez) VALUES ('" + key +
               "', " + v + ")");
      else
        t.Exec("INSERT INTO Kvs531Apl (AplApl, AplApg, AplFbe, AplDwn, AplDna, AplBez) VALUES ('" +
               key + "', '" + key + "', " + v + ")");
      t.Exec("INSERT INTO Kvs537Ksg (KsgApg, KsgGvo, KsgKst) VALUES ('" + key + "', '" +
             DateText(-1) + "', '4100')");
    } else if (r == "UBG") {
      t.Exec("INSERT INTO Kvs521Ubg (UbgUbg, UbgKnz, UbgFbe, UbgDwn, UbgDna, UbgBez) VALUES ('" +
             key + "', 1, " + v + ")");
    } else {
      t.Exec("INSERT INTO Kvs510Prv (PrvPnr, PrvFbe, PrvDwn, PrvDna, PrvNam, PrvDat, PrvAwa, "
             "PrvBer) VALUES ('" + key + "', " + v + ", '2024-03-01 12:00:00', 1, 1)");
    }
  }

  // "dwn/dna" of the row, or "<gone>".
  std::string Marks(const TestTree& t, const std::string& key) const {
    auto rows = t.Query("SELECT " + Dwn() + ", " + Dna() + " FROM " + Table() + " WHERE " +
                        Where(key));
    return rows.empty() ? "<gone>" : rows[0][0] + "/" + rows[0][1];
  }

  // The keys of the records this table wrote to terminal group 1, in order.
  std::vector<std::string> SentKeys(const TestTree& t) const {
    std::vector<std::string> keys;
    for (const SentRecord& s : SentRecords(t, 1)) {
      if (s.table == "AWN") continue;  // the personnel's second record
      keys.push_back(s.body.substr(key_at, key_width));
    }
    return keys;
  }
};

// How the test lists show a table case: by its keyword.
inline void PrintTo(const TableCase& c, std::ostream* os) { *os << c.keyword; }

inline const std::vector<TableCase>& ReleasingTables() {
  static const std::vector<TableCase> cases = {
      {"Kvs501Apk", "Apk_Dnl", "Apk", "ApkApk", "APK", 0, 12, true, "ApkBgs", "ApkAfo", "40000",
       "ApkBz1", 1},
      {"Kvs504App", "App_Dnl", "App", "AppApk", "APP", 0, 17, true, "AppBds", "AppSts", "40000",
       "AppBz1", 1},
      {"Kvs530Apg", "Apg_Dnl", "Apg", "ApgApg", "MAG", 0, 10, false, nullptr, "ApgApl",
       "2147483648", "ApgBez", 1},
      {"Kvs531Apl", "Apl_Dnl", "Apl", "AplApl", "MAS", 0, 10, false, nullptr, "AplSts", "40000",
       "AplBez", 1},
      {"Kvs521Ubg", "Ubg_Dnl", "Ubg", "UbgUbg", "UBG", 1, 4, false, nullptr, "UbgKnz",
       "2147483648", "UbgBez", 1},
      {"Kvs510Prv", "Prv_Dnl", "Prv", "PrvPnr", "PNR", 0, 8, true, "PrvGvo", "PrvBer",
       "2147483648", "PrvNam", 2},
  };
  return cases;
}
