#!/bin/sh
# Configuration and the ODBC back end:
#  1. with the search for unixODBC pointed at an empty folder, configuring
#     fails and names the Debian package to install;
#  2. the same build folder, configured again once unixODBC can be found,
#     finds it (the "not found" of the first attempt does not stick);
#  3. -DVELMARKON_ODBC=OFF configures without it on purpose and says so.
#   tests/odbc-configure-test.sh SOURCE_DIR SQLITE_INCLUDE_DIR SQLITE_LIBRARY [CMAKE]
set -u
src=$1
sqlite_inc=$2
sqlite_lib=$3
cmake=${4:-cmake}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/empty"
failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}

# SQLite is given as found, so that only the search for unixODBC sees the
# empty folder.
nowhere="-DCMAKE_FIND_ROOT_PATH=$tmp/empty -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY
  -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY
  -DSQLite3_INCLUDE_DIR=$sqlite_inc -DSQLite3_LIBRARY=$sqlite_lib -DVELMARKON_TESTS=OFF"

# shellcheck disable=SC2086
if "$cmake" -S "$src" -B "$tmp/b" $nowhere >"$tmp/1.log" 2>&1; then
  fail "configuring without unixODBC succeeded"
fi
grep -q "unixodbc-dev" "$tmp/1.log" || fail "the message does not name the package unixodbc-dev"
grep -q "VELMARKON_ODBC=OFF" "$tmp/1.log" || fail "the message does not say how to build without it"

if ! "$cmake" -S "$src" -B "$tmp/b" -U 'CMAKE_FIND_ROOT_PATH*' >"$tmp/2.log" 2>&1; then
  fail "configuring the same folder again with unixODBC failed"
fi
grep -q "database back ends: sqlite, odbc" "$tmp/2.log" || fail "the second configure did not find unixODBC"

# shellcheck disable=SC2086
if ! "$cmake" -S "$src" -B "$tmp/c" $nowhere -DVELMARKON_ODBC=OFF >"$tmp/3.log" 2>&1; then
  fail "configuring with -DVELMARKON_ODBC=OFF failed"
fi
grep -q "database back ends: sqlite$" "$tmp/3.log" || fail "the summary of the OFF build is wrong"

if [ $failed -ne 0 ]; then
  for f in "$tmp"/*.log; do
    echo "--- $f"
    cat "$f"
  done
  exit 1
fi
echo "configure checks passed"
