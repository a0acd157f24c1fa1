// Statement layer: registry of the program's statements, lazy preparation,
// guarded changes, and the hand-over to the connected back end.
#include "db/sql.h"

#include <cctype>
#include <cstring>

#include "db/backend.h"
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
  if (StartsWith(text, "savepoint") || StartsWith(text, "rollback") || StartsWith(text, "commit"))
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
  int32_t rc;
  DbBackend* be = Ready(st, &rc);
  return be ? be->Execute(st, in, nin) : rc;
}

int32_t Sql_SelectInto(SqlStmt* st, const HostVar* in, int nin, const HostVar* out, int nout) {
  int32_t rc;
  DbBackend* be = Ready(st, &rc);
  return be ? be->SelectInto(st, in, nin, out, nout) : rc;
}

int32_t Sql_Open(SqlStmt* st, const HostVar* in, int nin) {
  int32_t rc;
  DbBackend* be = Ready(st, &rc);
  return be ? be->Open(st, in, nin) : rc;
}

int32_t Sql_Fetch(SqlStmt* st, const HostVar* out, int nout) {
  DbBackend* be = Db_Backend();
  if (!be) return SQL_NOT_CONNECTED;
  if (!st->handle) return SQL_CURSOR_INVALID;
  return be->Fetch(st, out, nout);
}

int32_t Sql_Close(SqlStmt* st) {
  DbBackend* be = Db_Backend();
  if (!be) return SQL_NOT_CONNECTED;
  if (!st->handle) return SQL_CURSOR_INVALID;
  return be->Close(st);
}

int32_t Sql_Commit() {
  int32_t rc;
  DbBackend* be = Ready(&g_commit, &rc);
  return be ? be->Commit() : rc;
}

int32_t Sql_Change(SqlChange* ch, const HostVar* in, int nin) {
  Sql_Exec(&ch->savepoint, nullptr, 0);
  int32_t rc = Sql_Exec(&ch->change, in, nin);
  if (rc == SQL_OK) {
    // The change counts only once it is committed: a commit that fails is
    // undone like a failed change and its code returned.
    int32_t crc = Sql_Commit();
    if (crc == SQL_OK) return SQL_OK;
    rc = crc;
  }
  Sql_Exec(&ch->rollback, nullptr, 0);
  return rc;
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
