// The floors (see bench_floor.h).
#include "bench/bench_floor.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "bench/bench_db.h"

namespace {

double CpuSeconds() {
  rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
}

// A segment's share of the rows, with its statement's values ready: the
// marker value first, then the key columns.
struct Prepared {
  const FloorSegment* seg;
  long take;
  std::vector<std::vector<std::string>> keys;
  std::vector<const char*> values;  // (1 + key columns) per row
  std::string update;
};

Prepared Prepare(BenchDb* db, const FloorSegment& seg, long take, const std::string& stamp) {
  Prepared p{&seg, take, {}, {}, {}};
  if (seg.table.empty()) return p;
  std::string cols, where;
  for (size_t i = 0; i < seg.key_columns.size(); ++i) {
    cols += (i ? "," : "") + seg.key_columns[i];
    where += (i ? " AND " : "") + seg.key_columns[i] + "=?";
  }
  p.keys = db->Query("SELECT " + cols + " FROM " + seg.table + " ORDER BY " + seg.area_column +
                     "," + cols);
  if (static_cast<long>(p.keys.size()) < take)
    Bench_Die("the floor found fewer rows in " + seg.table + " than the case has");
  p.keys.resize(static_cast<size_t>(take));
  for (const auto& k : p.keys) {
    p.values.push_back(seg.marked ? BENCH_MARKER : nullptr);
    for (const std::string& v : k) p.values.push_back(v.c_str());
  }
  p.update = "UPDATE " + seg.table + " SET " + seg.marker_column + "=?," + seg.time_column + "=" +
             stamp + " WHERE " + where;
  return p;
}

void Append(int fd, const char* rec, int records) {
  for (int r = 0; r < records; ++r) {
    ssize_t n = write(fd, rec, 552);
    if (n != 552) Bench_Die("the floor's append failed");
  }
}

}  // namespace

BenchFigures Floor_Run(std::unique_ptr<BenchDb> db, const std::vector<FloorSegment>& segments,
                       int group, long max_rows, const std::string& file, const std::string& wal,
                       int pass) {
  // Today at 00:00:0<pass>, a time no loaded row has.
  char stamp[40];
  time_t now = time(nullptr);
  struct tm tm;
  localtime_r(&now, &tm);
  snprintf(stamp, sizeof stamp, "'%04d-%02d-%02d 00:00:%02d'", tm.tm_year + 1900, tm.tm_mon + 1,
           tm.tm_mday, pass % 60);
  long total = 0;
  for (const FloorSegment& s : segments) total += s.rows;
  std::vector<Prepared> parts;
  for (const FloorSegment& s : segments) {
    long take = s.rows;
    if (max_rows > 0 && total > max_rows) take = (s.rows * max_rows + total - 1) / total;
    parts.push_back(Prepare(db.get(), s, take, stamp));
  }

  // A record as the send buffers hold them: header, body, "*", CR LF.
  char rec[552];
  memset(rec, ' ', sizeof rec);
  memcpy(rec, "$192.168.10.21  4711 20240307090502999", 38);
  memcpy(rec + 86, "0460APK240307090502BDENEU", 25);
  memcpy(rec + 549, "*\r\n", 3);

  int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) Bench_Die("cannot open " + file);
  BenchFigures f;
  f.wal_max = wal.empty() ? -1 : 0;
  struct stat sb;
  const double cpu0 = CpuSeconds();
  const auto t0 = std::chrono::steady_clock::now();
  for (const Prepared& p : parts) {
    const int records = p.seg->records;
    const bool update = !p.seg->table.empty();
    const int per_row = 1 + static_cast<int>(p.seg->key_columns.size());
    if (update) db->PrepareUpdate(p.update);
    for (long i = 0; i < p.take; i += group) {
      const long n = p.take - i < group ? p.take - i : group;
      for (long r = 0; r < n; ++r) Append(fd, rec, records);
      if (fdatasync(fd) != 0) Bench_Die("the floor's fdatasync failed");
      ++f.syncs;
      if (!update) continue;
      db->Begin();
      for (long r = 0; r < n; ++r)
        db->RunUpdate(&p.values[static_cast<size_t>((i + r) * per_row)], per_row);
      db->Commit();
      ++f.commits;
      if (!wal.empty() && stat(wal.c_str(), &sb) == 0 && sb.st_size > f.wal_max)
        f.wal_max = sb.st_size;
    }
    f.rows += p.take;
    f.records += p.take * records;
  }
  db.reset();
  f.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  f.cpu = CpuSeconds() - cpu0;
  close(fd);
  unlink(file.c_str());
  return f;
}
