// Looking at the send-buffer files from outside (see snd_scan.h).
#include "sendbuf/snd_scan.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "sendbuf/snddnl.h"
#include "support/text.h"

namespace fs = std::filesystem;

namespace {

// The n of "SndDnl<n>.buf", or -1 for any other name.
int32_t FileNumber(const std::string& name) {
  const char* s = name.c_str();
  if (strncmp(s, "SndDnl", 6) != 0) return -1;
  s += 6;
  int64_t n = 0;
  int digits = 0;
  while (isdigit(static_cast<unsigned char>(*s))) {
    n = n * 10 + (*s++ - '0');
    if (++digits > 9) return -1;
  }
  if (digits == 0 || strcmp(s, ".buf") != 0) return -1;
  return static_cast<int32_t>(n);
}

const int kStampOffset = 21;

}  // namespace

int32_t Snd_Inspect(const char* path, SndFileInfo* info) {
  info->rc = -1;
  std::string name = fs::path(path).filename().string();
  Txt_Copy(info->name, sizeof info->name, name.c_str());
  info->number = FileNumber(name);
  info->size = info->records = 0;
  info->tail = 0;
  info->newest[0] = '\0';

  std::ifstream in(path, std::ios::binary);
  if (!in) return -1;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) return -1;
  info->size = size;
  info->records = size / SND_RECORD_LEN;
  info->tail = static_cast<int32_t>(size % SND_RECORD_LEN);
  info->rc = 0;
  if (info->records == 0) return 0;
  char stamp[14];
  in.seekg((info->records - 1) * SND_RECORD_LEN + kStampOffset);
  if (!in.read(stamp, sizeof stamp)) return info->rc = -1;
  for (char c : stamp)
    if (!isdigit(static_cast<unsigned char>(c))) return 0;
  memcpy(info->newest, stamp, sizeof stamp);
  info->newest[14] = '\0';
  return 0;
}

int32_t Snd_Scan(const char* dir, SndFileInfo* out, int32_t max) {
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  if (ec) return -1;
  std::vector<std::pair<int32_t, std::string>> files;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) return -1;
    const std::string name = it->path().filename().string();
    const int32_t n = FileNumber(name);
    if (n >= 0 && it->is_regular_file(ec)) files.emplace_back(n, it->path().string());
  }
  std::sort(files.begin(), files.end());
  int32_t i = 0;
  for (const auto& f : files) {
    if (i >= max) break;
    Snd_Inspect(f.second.c_str(), &out[i]);  // a failure stays in out[i].rc
    ++i;
  }
  return static_cast<int32_t>(files.size());
}
