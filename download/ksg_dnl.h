// The cost-centre download: the whole cost-centre list for every production
// area of type 1, on every run; nothing in the database is changed.
#pragma once

#include <cstdint>

#include "db/ksg.h"
#include "sendbuf/snddnl.h"

int32_t Ksg_DnlSatz(DownloadMessage* msg, KsgRow row);
int32_t Ksg_Dnl(const char* date, const char* time, const char* marker);
