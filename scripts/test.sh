#!/usr/bin/env bash
# Installs what is missing, builds the program and its tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs every test: once
# on the embedded database and, for the database tests, once more on a
# PostgreSQL server of their own (started in a temporary folder through
# ODBC, stopped and removed at the end).
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
scripts/install-deps.sh unixodbc unixodbc-dev odbc-postgresql postgresql
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DVELMARKON_SANITIZE=ON \
  -DVELMARKON_PG_TESTS=ON >/dev/null
cmake --build build-test -j"$(nproc)"

pgdir=$(mktemp -d /tmp/vkpg.XXXXXX)
trap '"$top/scripts/pg-server.sh" destroy "$pgdir"' EXIT
scripts/pg-server.sh start "$pgdir"
# shellcheck source=/dev/null
. "$pgdir/env.sh"

cd build-test
ctest --output-on-failure -j2
