// A fresh working tree for one case, laid out as a site's: the working
// folder four levels below a root that holds files/korvantis.ini, with Msg
// for the log and ../Comm/Buff for the send buffers.
#pragma once

#include <string>

struct BenchTree {
  std::string root, work;
  std::string buff() const { return work + "/../Comm/Buff"; }
};

// Makes dir/vkbench.XXXXXX and the tree in it.
BenchTree Tree_Create(const std::string& dir);
// Writes LOGIN, PASS and NET8 into the tree's configuration file.
void Tree_WriteConfig(const BenchTree& t, const std::string& login, const std::string& pass,
                      const std::string& net8);
void Tree_Remove(const BenchTree& t);
// Keep trees (also those of a benchmark that ended early); by default every
// tree made is removed at exit at the latest.
void Tree_Keep(bool keep);
bool Tree_Exists(const std::string& path);
