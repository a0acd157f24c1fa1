// Terminal address lookup.
#include "sendbuf/ip.h"

#include "support/msg.h"

int32_t IP_Ermitteln(CfgRow* row, const char* routing_key) {
  int32_t rc = Cfg_Open(routing_key);
  if (rc != 0) {
    Msg_Report("ReadFile", "IP-Ermitteln", rc);
    return rc;
  }
  rc = Cfg_Fetch(row);  // only the first row, the lowest file number, counts
  if (rc != 0) Msg_Report("ReadFile", "IP-Ermitteln", rc);
  int32_t close_rc = Cfg_Close();
  return close_rc != 0 ? close_rc : rc;
}
