// Runs one of the built programs as a site runs it: in the current folder,
// with standard output and standard error caught.
#pragma once

#include <string>

struct Ran {
  int status;            // exit status; -1 when the program did not end in time
  std::string out, err;  // line ends as "\n" (a Windows program writes "\r\n")
};

// program: "velmarkon", "velmarkon-status", ...; args: the arguments, words
// separated by blanks (no quoting); env: "NAME=value ..." set for the
// program alone, or "".
Ran RunProgram(const std::string& program, const std::string& args, const std::string& env = "");
