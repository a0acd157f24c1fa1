// Cost-centre assignments (Kvs537Ksg): the cost centre valid today for a
// workplace group, and the cost-centre list (every cost centre of
// o1003Kststelle for every production area of type 1 of Kvs559Fbe).
#pragma once

#include <cstdint>

struct KsgRow {
  char KsgApg[11];
  char KsgGvo[15];
  char KsgGbi[15];
  char KsgFbe[11];
  char KsgKst[11];
  char KsgZf1[31];
  char KsgZf2[31];
  char KsgZf3[31];
  int32_t KsgSta;
  char KsgErf[9];
};

// Cost centre of row->KsgApg valid today: first day today or earlier, last
// day after today or none. 1403 when none, negative when several.
int32_t Ksg_ApgRead(KsgRow* row);

int32_t Ksg_OpenDnl(const char* marker);
int32_t Ksg_FetchDnl(KsgRow* row);  // fills KsgKst and KsgFbe only on 0
int32_t Ksg_CloseDnl();
