// Without ODBC in the build, a data source cannot be reached.
#ifndef VK_HAVE_ODBC
#include "db/backend/backend.h"

DbBackend* OdbcBackend_Create() { return nullptr; }
#endif
