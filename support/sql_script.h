// SQL scripts (schema files, test and benchmark set-ups) as single
// statements: split at ";" outside quoted text and "--" comments, blank
// statements left out. Used where a client runs one statement at a time.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> SqlScript_Split(const std::string& sql);
