#!/usr/bin/env bash
# Installs what is missing, builds the program and its tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs every test: once
# on the embedded database and, for the database tests, once more on a
# PostgreSQL server of their own (started in a temporary folder through
# ODBC, stopped and removed at the end).
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
# man-db and groff-base render the manual pages, dpkg-dev and file build the
# Debian package (dpkg-shlibdeps).
scripts/install-deps.sh odbc-postgresql postgresql man-db groff-base dpkg-dev file
# Configured after the installation, with the ODBC entries of an older cache
# searched afresh.
cmake -S . -B build-test -U 'ODBC_*' -DCMAKE_BUILD_TYPE=Debug -DVELMARKON_SANITIZE=ON \
  -DVELMARKON_PG_TESTS=ON >/dev/null
cmake --build build-test -j"$(nproc)"

pgdir=$(mktemp -d /tmp/vkpg.XXXXXX)
trap '"$top/scripts/pg-server.sh" destroy "$pgdir"' EXIT
scripts/pg-server.sh start "$pgdir"
# shellcheck source=/dev/null
. "$pgdir/env.sh"

cd build-test
ctest --output-on-failure -j2
