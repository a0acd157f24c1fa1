// Terminal configuration (Kvs557Cfg): per terminal group its send-buffer file
// number, network address and port, and the production-area ranges it serves.
#pragma once

#include <cstdint>

struct CfgRow {
  int32_t CfgDta;  // file number of the group's send-buffer file
  char CfgIP[16];
  char CfgPrt[6];
  char CfgBez[31];
  char CfgTxt[11];
  int32_t CfgKr1;
  char CfgVn1[11], CfgBi1[11], CfgBz1[31];
  char CfgVn2[11], CfgBi2[11], CfgBz2[31];
  char CfgVn3[11], CfgBi3[11], CfgBz3[31];
  char CfgVn4[11], CfgBi4[11], CfgBz4[31];
  char CfgVn5[11], CfgBi5[11], CfgBz5[31];
  int32_t CfgSta;
  char CfgDat[15];
  char CfgErf[9];
};

// Every terminal group, lowest file number first. The fetch fills row only
// on 0; range1 and range2 tell whether the row's range 1 and range 2 have
// both their bounds (a range with a NULL bound covers nothing).
int32_t Cfg_OpenAll();
int32_t Cfg_FetchAll(CfgRow* row, bool* range1, bool* range2);
int32_t Cfg_CloseAll();
