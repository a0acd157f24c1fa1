// The download program's entry.
#include "run/download_main.h"

int main(int argc, char** argv) { return Download_Main(argc, argv, &kProgramEntries); }
