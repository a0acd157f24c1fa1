// Runs one of the built programs as a site runs it: in the current folder,
// with standard output and standard error caught.
#pragma once

#include <string>

struct Ran {
  int status;  // exit status; -1 when the program did not end normally
  std::string out, err;
};

// program: "velmarkon", "velmarkon-status", ...; args are put on the command
// line as they stand (quote them for the shell); env: "NAME=value ..." or "".
Ran RunProgram(const std::string& program, const std::string& args, const std::string& env = "");
