// What the programs say about themselves (see about.h). The version comes from
// the header the build generates (cmake/version.cmake).
#include "run/about.h"

#include <cstdio>

#include "db/session.h"
#include "vk_version.h"

const char* About_Version() {
  return VK_GIT_DESCRIBE[0] != '\0' ? VK_VERSION " (git " VK_GIT_DESCRIBE ")" : VK_VERSION;
}

void About_PrintVersion(const char* program) {
  char backends[64];
  printf("%s %s\ndatabase back ends: %s\n", program, About_Version(),
         Db_BuiltBackends(backends, sizeof backends));
}
