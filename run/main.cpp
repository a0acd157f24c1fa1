// The download program's entry.
#include "run/download_main.h"

int main(int argc, char** argv) {
  Plat_StartProcess();  // a write beyond the file-size limit fails, as on a full disk
  return Download_Main(argc, argv, &kProgramEntries);
}
