// Working trees for tests (see test_env.h).
#include "tests/test_env.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "db/session.h"
#include "sendbuf/ip.h"
#include "sendbuf/snddnl.h"
#include "support/ini_writer.h"
#include "support/msg.h"
#include "support/platform.h"
#include "tests/test_server.h"

namespace fs = std::filesystem;

TestTree::TestTree() {
  char tmp[512];
  if (Plat_MakeTempDir("vktest.", tmp, sizeof tmp) != 0) throw std::runtime_error("temp folder");
  root_ = tmp;
  work_ = root_ + "/site/bde/prog/download";
  fs::create_directories(work_ + "/Msg");
  fs::create_directories(root_ + "/files");
  fs::create_directories(root_ + "/site/bde/prog/Comm/Buff");
  old_cwd_ = fs::current_path().string();
  fs::current_path(work_);
  Msg_Init(FMSG | SMSG | DMSG, PLAT_MSG_FILE);  // as the run driver does
  IP_Forget();
}

TestTree::~TestTree() {
  SndDnl_Close();
  IP_Forget();
  dbDisconnect();
  server_.reset();
  if (!server_db_.empty()) {
    try {
      TestServer admin("");
      admin.Exec("DROP DATABASE IF EXISTS " + server_db_ + " WITH (FORCE)");
    } catch (const std::exception&) {
      // left behind: the server's folder goes with the test run
    }
  }
  std::error_code ec;
  fs::current_path(old_cwd_, ec);
  fs::remove_all(root_, ec);
}

void TestTree::WriteConfig(const char* login, const char* pass, const char* net8) {
  std::string path = root_ + "/files/korvantis.ini";
  if (IniW_SetEntry(path.c_str(), "LOGIN", login) != INIW_OK ||
      IniW_SetEntry(path.c_str(), "PASS", pass) != INIW_OK ||
      IniW_SetEntry(path.c_str(), "NET8", net8) != INIW_OK)
    throw std::runtime_error("cannot write the configuration file");
}

void TestTree::CreateDb() {
  if (!Test_OnServer()) {
    login_ = "bde";
    pass_ = "secret";
    net8_ = "sqlite:bde.db";
    Exec(ReadFileBytes(std::string(VK_SOURCE_DIR) + "/schema/sqlite.sql"));
  } else if (server_db_.empty()) {
    TestServerLogin l = Test_ServerLogin();
    static int count = 0;
    server_db_ = "vkt" + std::to_string(Plat_Pid()) + "_" + std::to_string(++count);
    TestServer admin("");
    admin.Exec("CREATE DATABASE " + server_db_ +
               " TEMPLATE template0 ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C'");
    server_ = std::make_unique<TestServer>(server_db_);
    server_->Exec(ReadFileBytes(std::string(VK_SOURCE_DIR) + "/schema/postgresql.sql"));
    login_ = l.user;
    pass_ = l.pass;
    net8_ = "odbc:DSN=" + l.dsn + ";Database=" + server_db_;
  }
  WriteConfig(login_.c_str(), pass_.c_str(), net8_.c_str());
}

void TestTree::Connect() {
  CreateDb();
  if (Db_ConnectWith(login_.c_str(), pass_.c_str(), net8_.c_str()) != 0)
    throw std::runtime_error("cannot connect to the test database");
}

namespace {
sqlite3* OpenDb(const std::string& path) {
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) throw std::runtime_error("sqlite3_open");
  sqlite3_busy_timeout(db, 10000);
  return db;
}
}  // namespace

void TestTree::Exec(const std::string& sql) const {
  if (Test_OnServer()) return Server()->Exec(sql);
  sqlite3* db = OpenDb(dbPath());
  char* err = nullptr;
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
  std::string msg = err ? err : "";
  sqlite3_free(err);
  sqlite3_close(db);
  if (rc != SQLITE_OK) throw std::runtime_error("test SQL failed: " + msg + " in " + sql);
}

std::vector<std::vector<std::string>> TestTree::Query(const std::string& sql) const {
  if (Test_OnServer()) return Server()->Query(sql);
  sqlite3* db = OpenDb(dbPath());
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
    std::string msg = sqlite3_errmsg(db);
    sqlite3_close(db);
    throw std::runtime_error("test query failed: " + msg);
  }
  std::vector<std::vector<std::string>> rows;
  while (sqlite3_step(st) == SQLITE_ROW) {
    std::vector<std::string> row;
    for (int i = 0; i < sqlite3_column_count(st); ++i) {
      const unsigned char* v = sqlite3_column_text(st, i);
      row.push_back(v ? reinterpret_cast<const char*>(v) : "<NULL>");
    }
    rows.push_back(row);
  }
  sqlite3_finalize(st);
  sqlite3_close(db);
  return rows;
}

TestServer* TestTree::Server() const {
  if (!server_) throw std::runtime_error("no test database on the server yet (CreateDb)");
  return server_.get();
}

std::string TestTree::Value(const std::string& sql) const {
  auto rows = Query(sql);
  if (rows.empty() || rows[0].empty()) return "<none>";
  return rows[0][0];
}

std::string DateText(int days_from_today) {
  struct tm tm;
  Plat_LocalTime(Plat_Now(), &tm);
  tm.tm_mday += days_from_today;
  tm.tm_hour = 12;  // away from a change of daylight saving time
  tm.tm_isdst = -1;
  mktime(&tm);
  char buf[64];
  snprintf(buf, sizeof buf, "%04d-%02d-%02d 00:00:00", tm.tm_year + 1900, tm.tm_mon + 1,
           tm.tm_mday);
  return buf;
}

std::string ReadFileBytes(const std::string& path) {
  // A send-buffer file is read as the communication program reads it: once
  // the writer has let it go (on Windows nobody may open it while it is held).
  if (path.find("SndDnl") != std::string::npos) SndDnl_Close();
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFileBytes(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << data;
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

std::vector<std::string> LogEntries(const std::string& path) {
  std::vector<std::string> out;
  std::istringstream in(ReadFileBytes(path));
  std::string line, msg, fn;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("Message____: ", 0) == 0) msg = line.substr(13);
    if (line.rfind("Funktion___: ", 0) == 0) fn = line.substr(13);
    if (line.rfind("ErrorCode__: ", 0) == 0) out.push_back(fn + "|" + msg + "|" + line.substr(13));
  }
  return out;
}

void AddGroupPerArea(const TestTree& tree) {
  tree.Exec(
      "INSERT INTO Kvs557Cfg (CfgDta, CfgIP, CfgPrt, CfgVn1, CfgBi1) VALUES "
      "(1, '10.0.0.1', '4711', 'FB01', 'FB01'), (2, '10.0.0.2', '4712', 'FB02', 'FB02')");
}

TempFolder::TempFolder(const char* prefix) {
  char tmp[512];
  if (Plat_MakeTempDir(prefix, tmp, sizeof tmp) != 0) throw std::runtime_error("temp folder");
  path_ = tmp;
}

TempFolder::~TempFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

time_t testkit::LocalClock(int year, int mon, int day, int hour, int min, int sec) {
  struct tm tm = {};
  tm.tm_year = year - 1900;
  tm.tm_mon = mon - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = min;
  tm.tm_sec = sec;
  tm.tm_isdst = -1;
  return mktime(&tm);
}
