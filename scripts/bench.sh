#!/usr/bin/env bash
# Builds the Release benchmark and runs it (bench/bench_main.cpp says what it
# measures).
#
#   scripts/bench.sh [--dir=DIR] [OPTION...] [ROWS...]       embedded database
#   scripts/bench.sh --pg [--dir=DIR] [OPTION...] [ROWS...]  PostgreSQL server
#
# The working trees go to DIR (default /tmp): on a disk the floors' syncs
# cost what they cost there; --dir=/dev/shm measures CPU without the disk.
# With --pg a private server with fsync on is started with its data in DIR,
# and removed at the end. Every other option goes to velmarkon-bench.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
pg=0
dir=/tmp
for a in "$@"; do
  case "$a" in
    --pg) pg=1 ;;
    --dir=*) dir=${a#--dir=} ;;
  esac
done
if [ $pg -eq 1 ]; then
  scripts/install-deps.sh unixodbc unixodbc-dev odbc-postgresql postgresql
else
  scripts/install-deps.sh
fi
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVELMARKON_TESTS=OFF >/dev/null
cmake --build build-bench -j2 --target velmarkon-bench >/dev/null

if [ $pg -eq 1 ]; then
  pgdir=$(mktemp -d "$dir/vkpg.XXXXXX")
  trap '"$top/scripts/pg-server.sh" destroy "$pgdir"' EXIT
  VK_PG_FSYNC=on scripts/pg-server.sh start "$pgdir"
  # shellcheck source=/dev/null
  . "$pgdir/env.sh"
fi
build-bench/velmarkon-bench "$@"
