// Statement layer: registry of the program's statements, lazy preparation,
// guarded changes, and the hand-over to the connected back end.
#include "db/sql.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "db/backend/backend.h"
#include "db/session.h"

namespace {

SqlStmt* g_first = nullptr;  // constant-initialised before any registration

bool StartsWith(const char* s, const char* word) {
  while (isspace(static_cast<unsigned char>(*s))) ++s;
  return strncasecmp(s, word, strlen(word)) == 0;
}

SqlKind KindOf(const char* text) {
  if (StartsWith(text, "select")) {
    return strstr(text, " into :") || strstr(text, " INTO :") ? SQLK_SELECT : SQLK_CURSOR;
  }
  if (StartsWith(text, "savepoint") || StartsWith(text, "rollback") || StartsWith(text, "commit") ||
      StartsWith(text, "release"))
    return SQLK_CONTROL;
  return SQLK_CHANGE;
}

// The back end of the session, or nullptr with the code to return.
DbBackend* Ready(SqlStmt* st, int32_t* rc) {
  DbBackend* be = Db_Backend();
  if (!be) {
    *rc = SQL_NOT_CONNECTED;
    return nullptr;
  }
  if (!st->handle) {
    *rc = be->Prepare(st);
    if (*rc != SQL_OK) return nullptr;
  }
  *rc = SQL_OK;
  return be;
}

SqlStmt g_commit("commit");

bool g_row_failed = false;  // the last fetch or single-row select failed its row
int g_depth = 0;            // units of work open (0 or 1) plus savepoints joined
bool g_unit = false;        // a unit of work is open
bool g_lock_timed_out = false;
void (*g_commit_hook)() = nullptr;

// The kept changes of a deferral: each change's statement and input count,
// its inputs with their values copied into one buffer (addresses as offsets
// there until the run). The vectors keep their room from group to group.
struct Deferred {
  bool on = false;
  bool always = false;   // tests: defer on any back end
  bool spoiled = false;  // another statement ran while changes were kept
  std::vector<SqlStmt*> sts;
  std::vector<int> nin;
  std::vector<HostVar> in;
  std::vector<size_t> at;  // where each input's value is in values
  std::vector<char> values;
  std::vector<int32_t> codes;
};
Deferred g_defer;

// Another change while changes are kept: they cannot be taken as they were
// meant (it came before them). A read is not: it sees the database without
// them, and what is read while they are kept (the record formatters' lookups
// of other tables) is nothing they change.
void Spoil() {
  if (g_defer.on && !g_defer.sts.empty()) g_defer.spoiled = true;
}

void KeepChange(SqlStmt* st, const HostVar* in, int nin) {
  g_defer.sts.push_back(st);
  g_defer.nin.push_back(nin);
  for (int i = 0; i < nin; ++i) {
    HostVar hv = in[i];
    const size_t at = (g_defer.values.size() + 7) & ~size_t{7};  // numbers stay aligned
    g_defer.values.resize(at + hv.size, '\0');
    if (hv.type == HV_STRING) {
      memcpy(&g_defer.values[at], hv.addr, Hv_TextLen(hv));  // bounded by its size, NUL after
    } else {
      memcpy(&g_defer.values[at], hv.addr, hv.size);
    }
    g_defer.in.push_back(hv);
    g_defer.at.push_back(at);
  }
}

void ForgetKept() {
  g_defer.sts.clear();
  g_defer.nin.clear();
  g_defer.in.clear();
  g_defer.at.clear();
  g_defer.values.clear();
  g_defer.spoiled = false;
}

// After the first wait for a lock has timed out, later waits are short.
void NoteBusy(DbBackend* be, int32_t rc) {
  if (rc == SQL_RESOURCE_BUSY && !g_lock_timed_out) {
    g_lock_timed_out = true;
    be->SetLockWait(Sql_LockWaitMs());
  }
}

int32_t CommitNow(DbBackend* be) {
  int32_t rc = be->Commit();
  if (rc == SQL_OK && g_commit_hook) g_commit_hook();
  return rc;
}

// Runs st with its inputs through the back end's step (execute or open).
int32_t Run(SqlStmt* st, const HostVar* in, int nin,
            int32_t (DbBackend::*step)(SqlStmt*, const HostVar*, int)) {
  int32_t rc;
  DbBackend* be = Ready(st, &rc);
  if (!be) return rc;
  rc = (be->*step)(st, in, nin);
  NoteBusy(be, rc);
  return rc;
}

}  // namespace

SqlStmt::SqlStmt(const char* t) : text(t), kind(KindOf(t)), next(g_first) { g_first = this; }

SqlStmt::~SqlStmt() {
  if (handle && Db_Backend()) Db_Backend()->Release(this);
  for (SqlStmt** p = &g_first; *p; p = &(*p)->next) {
    if (*p == this) {
      *p = next;
      break;
    }
  }
}

SqlStmt* Sql_FirstStmt() { return g_first; }

int32_t Sql_Exec(SqlStmt* st, const HostVar* in, int nin) {
  Spoil();
  return Run(st, in, nin, &DbBackend::Execute);
}

int32_t Sql_SelectInto(SqlStmt* st, const HostVar* in, int nin, const HostVar* out, int nout) {
  int32_t rc;
  g_row_failed = false;
  DbBackend* be = Ready(st, &rc);
  if (!be) return rc;
  st->row_failed = false;
  rc = be->SelectInto(st, in, nin, out, nout);
  g_row_failed = st->row_failed;
  NoteBusy(be, rc);
  return rc;
}

int32_t Sql_Open(SqlStmt* st, const HostVar* in, int nin) {
  return Run(st, in, nin, &DbBackend::Open);
}

int32_t Sql_Fetch(SqlStmt* st, const HostVar* out, int nout) {
  g_row_failed = false;
  DbBackend* be = Db_Backend();
  if (!be) return SQL_NOT_CONNECTED;
  if (!st->handle) return SQL_CURSOR_INVALID;
  st->row_failed = false;
  int32_t rc = be->Fetch(st, out, nout);
  g_row_failed = st->row_failed;
  return rc;
}

bool Sql_RowFailed() { return g_row_failed; }

int32_t Sql_Close(SqlStmt* st) {
  DbBackend* be = Db_Backend();
  if (!be) return SQL_NOT_CONNECTED;
  if (!st->handle) return SQL_CURSOR_INVALID;
  return be->Close(st);
}

int32_t Sql_Commit() {
  int32_t rc;
  DbBackend* be = Ready(&g_commit, &rc);
  return be ? CommitNow(be) : rc;
}

// Keeps the work since the savepoint: at once committed outside a unit of
// work, released into it inside one. A commit that fails is undone like a
// failed change and its code returned.
static int32_t Keep(SqlStmt* rollback, SqlStmt* release) {
  if (g_depth > 0) return Sql_Exec(release, nullptr, 0);
  int32_t crc = Sql_Commit();
  if (crc != SQL_OK) Sql_Exec(rollback, nullptr, 0);
  return crc;
}

int32_t Sql_Change(SqlChange* ch, const HostVar* in, int nin) {
  if (g_defer.on && g_unit) {
    // A statement that cannot be prepared fails the run: done again one
    // by one, its failure is reported where it belongs.
    int32_t rc;
    if (Ready(&ch->change, &rc))
      KeepChange(&ch->change, in, nin);
    else
      g_defer.spoiled = true;
    return SQL_OK;
  }
  // Inside a unit of work on a back end that undoes a failed statement
  // alone, the statement is its own savepoint.
  DbBackend* be = Db_Backend();
  if (g_depth > 0 && be && be->UndoesFailedStatement()) return Sql_Exec(&ch->change, in, nin);
  int32_t rc = Sql_Exec(&ch->savepoint, nullptr, 0);
  if (rc != SQL_OK) return rc;  // nothing was changed
  rc = Sql_Exec(&ch->change, in, nin);
  if (rc == SQL_OK) return Keep(&ch->rollback, &ch->release);
  Sql_Exec(&ch->rollback, nullptr, 0);
  return rc;
}

int32_t Sql_Join(SqlSavepoint* sp) {
  if (g_defer.on && g_unit) {
    ++g_depth;
    return SQL_OK;
  }
  int32_t rc = Sql_Exec(&sp->savepoint, nullptr, 0);
  if (rc == SQL_OK) ++g_depth;
  return rc;
}

int32_t Sql_Leave(SqlSavepoint* sp, bool keep) {
  if (g_depth > 0) --g_depth;
  if (g_defer.on && g_unit) {  // no savepoint was set: what it would undo is kept
    if (!keep) g_defer.spoiled = true;
    return SQL_OK;
  }
  // Inside a unit of work on a server (a statement costs a round trip), a
  // kept savepoint is not released: the unit's commit or rollback ends it,
  // and a later savepoint of the same name is the one its rollback goes to.
  DbBackend* be = Db_Backend();
  if (keep && g_unit && be && be->UndoesFailedStatement()) return SQL_OK;
  if (keep) return Keep(&sp->rollback, &sp->release);
  Sql_Exec(&sp->rollback, nullptr, 0);
  return SQL_OK;
}

int32_t Sql_Begin() {
  DbBackend* be = Db_Backend();
  if (!be) return SQL_NOT_CONNECTED;
  if (g_unit) return SQL_OK;
  int32_t rc = be->Begin();
  NoteBusy(be, rc);
  if (rc != SQL_OK) return rc;
  g_unit = true;
  ++g_depth;
  return SQL_OK;
}

int32_t Sql_End(bool commit) {
  DbBackend* be = Db_Backend();
  if (!be) return SQL_NOT_CONNECTED;
  if (!g_unit) return SQL_OK;
  if (g_defer.on) {  // kept changes are run before a commit, forgotten by a rollback
    if (commit && Sql_DeferCount() > 0) {
      int32_t rc = Sql_DeferRun();
      if (rc != SQL_OK) return rc;
    }
    g_defer.on = false;
    ForgetKept();
  }
  g_unit = false;
  g_depth = 0;
  if (commit) {
    int32_t rc = CommitNow(be);
    if (rc == SQL_OK) return SQL_OK;
    be->Rollback();
    return rc;
  }
  return be->Rollback();
}

bool Sql_InUnit() { return g_unit; }

bool Sql_CanDefer() {
  DbBackend* be = Db_Backend();
  return be && (g_defer.always || be->BatchesChanges());
}

void Sql_DeferBegin() {
  ForgetKept();
  g_defer.on = true;
}

bool Sql_Deferring() { return g_defer.on; }

int Sql_DeferCount() { return static_cast<int>(g_defer.sts.size()); }

void Sql_DeferCut(int n) {
  if (n < 0 || n >= Sql_DeferCount()) return;
  size_t inputs = 0;
  for (int i = 0; i < n; ++i) inputs += static_cast<size_t>(g_defer.nin[static_cast<size_t>(i)]);
  g_defer.sts.resize(static_cast<size_t>(n));
  g_defer.nin.resize(static_cast<size_t>(n));
  g_defer.values.resize(inputs < g_defer.in.size() ? g_defer.at[inputs] : g_defer.values.size());
  g_defer.in.resize(inputs);
  g_defer.at.resize(inputs);
}

int32_t Sql_DeferRun() {
  g_defer.on = false;
  DbBackend* be = Db_Backend();
  int32_t rc = be ? SQL_OK : SQL_NOT_CONNECTED;
  const int n = Sql_DeferCount();
  if (rc == SQL_OK && g_defer.spoiled) rc = SQL_NOTFOUND;
  if (rc == SQL_OK && n > 0) {
    for (size_t i = 0; i < g_defer.in.size(); ++i)
      g_defer.in[i].addr = &g_defer.values[g_defer.at[i]];
    g_defer.codes.assign(static_cast<size_t>(n), SQL_OK);
    rc = be->ExecuteBatch(g_defer.sts.data(), g_defer.in.data(), g_defer.nin.data(), n,
                          g_defer.codes.data());
    NoteBusy(be, rc);
    for (int i = 0; rc == SQL_OK && i < n; ++i) rc = g_defer.codes[static_cast<size_t>(i)];
  }
  ForgetKept();
  if (rc != SQL_OK) Sql_End(false);
  return rc;
}

void Sql_SetDeferAlways(bool on) { g_defer.always = on; }

void Sql_RefreshStatistics(const char* table) {
  DbBackend* be = Db_Backend();
  if (be && !g_unit) be->RefreshStatistics(table);
}

int32_t Sql_LockWaitMs() { return g_lock_timed_out ? 1000 : 10000; }

void Sql_SetCommitHook(void (*hook)()) { g_commit_hook = hook; }

void Sql_SessionEnded() {
  g_unit = false;
  g_depth = 0;
  g_defer.on = false;
  ForgetKept();
}

int Sql_PrepareAll(void (*report)(const char* text, int32_t code)) {
  DbBackend* be = Db_Backend();
  int failed = 0;
  for (SqlStmt* st = g_first; st; st = st->next) {
    int32_t rc = be ? (st->handle ? SQL_OK : be->Prepare(st)) : SQL_NOT_CONNECTED;
    if (rc != SQL_OK) {
      ++failed;
      if (report) report(st->text, rc);
    }
  }
  return failed;
}

void Sql_Deliver(const HostVar* list, int n, const void* host, void* row, size_t size) {
  const uintptr_t base = reinterpret_cast<uintptr_t>(host);
  for (int i = 0; i < n; ++i) {
    const uintptr_t field = reinterpret_cast<uintptr_t>(list[i].addr);
    if (field < base || field + list[i].size > base + size) continue;  // not in the record
    memcpy(static_cast<char*>(row) + (field - base), list[i].addr, list[i].size);
  }
}
