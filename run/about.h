// What the programs say about themselves: the version of the build and the
// database back ends it contains (--version).
#pragma once

// "1.0.0 (git 5d3c7d8)", or the bare version when the build had no git
// checkout to describe.
const char* About_Version();

// Prints "PROGRAM VERSION" and the line of database back ends to stdout.
void About_PrintVersion(const char* program);
