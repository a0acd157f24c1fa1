#!/usr/bin/env bash
# The Windows build: installs the MinGW-w64 cross toolchain and wine when
# missing, builds SQLite (from Debian's source package, the version of the
# Linux libsqlite3-dev, with the package's own compile options) and
# GoogleTest (from /usr/src/googletest) for Windows once into a cache folder,
# proves them with a small test program under wine, then cross-builds the
# programs and the tests statically (Makefiles, make -k), runs every test
# under wine, runs the demo data set with the Linux and the Windows programs
# and compares what they wrote (scripts/windows-demo-check.sh), and leaves a
# zip of the programs, the README, the schemas and the documentation
# (cpack -G ZIP).
#
# Environment:
#   VK_WIN_CACHE  cache folder (default ~/.cache/velmarkon-win): the
#                 cross-built libraries, their sources and the wine prefix
#   VK_WIN_BUILD  build folder of the project (default build-win)
#   VK_LINUX_BUILD  the Linux build the demo is compared with (default
#                 build-release, as scripts/test.sh leaves it; its programs
#                 are brought up to date)
#   VK_JOBS       parallel jobs (default 2)
# Every step prints its time; the first step that fails stops the script
# with its name and a non-zero status.
set -eEuo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
cache=${VK_WIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velmarkon-win}
build=${VK_WIN_BUILD:-$top/build-win}
linux_build=${VK_LINUX_BUILD:-$top/build-release}
jobs=${VK_JOBS:-2}
triplet=x86_64-w64-mingw32
toolchain=$top/cmake/mingw-w64-x86_64.cmake
prefix=$cache/prefix
mkdir -p "$cache" "$prefix" "$build"
cache=$(cd "$cache" && pwd)
prefix=$cache/prefix
build=$(cd "$build" && pwd)

export WINEPREFIX=$cache/wineprefix
export WINEDEBUG=-all
export WINEARCH=win64
export VK_WIN_DEPS=$prefix

step_name=""
step_start=0
step_open=0
script_start=$(date +%s.%N)
timings=()

print_times() {
  echo "== times"
  printf '%s\n' "${timings[@]}"
  if [ "$step_open" = 1 ]; then
    printf '%-28s %8s s (failed)\n' "$step_name" "$(elapsed "$step_start")"
  fi
  echo "total                        $(elapsed "$script_start") s"
}
fail() {
  trap - ERR
  echo "windows.sh: FAILED in step \"$step_name\": $*" >&2
  print_times >&2
  exit 1
}
on_error() {
  local status=$?
  trap - ERR
  echo "windows.sh: FAILED in step \"$step_name\" (status $status, line $1)" >&2
  print_times >&2
  exit "$status"
}
trap 'on_error $LINENO' ERR
stop_wine() {
  # The keeper's input closes, so that it ends; the wine server of our
  # prefix (kept running, see start_wine) and wine's own services end with
  # it: nothing is left running.
  if [ "${keeper_open:-0}" = 1 ]; then
    exec 9>&-
    keeper_open=0
  fi
  if [ -d "$WINEPREFIX" ] && command -v wineserver >/dev/null; then
    wineserver -k 2>/dev/null || true
  fi
}
# Wine starts its services (services.exe, winedevice.exe, ...) with the
# first program of a session and ends them after the last; they keep the
# standard output of the program that started them open, so a test program
# that happened to start them seemed to hang until ctest's timeout. A
# persistent wine server and one program that runs all along (cmd.exe
# waiting on a pipe that stays open) start them once, with their output
# going nowhere.
start_wine() {
  wineserver -p </dev/null >/dev/null 2>&1
  local fifo=$cache/keeper.fifo
  rm -f "$fifo"
  mkfifo "$fifo"
  wine cmd.exe <"$fifo" >/dev/null 2>&1 &
  exec 9>"$fifo"
  keeper_open=1
  rm -f "$fifo"
  # Whichever of the two starts the services, their output goes nowhere;
  # once this one has ended they are up.
  wine cmd.exe /c exit </dev/null >/dev/null 2>&1
}
trap stop_wine EXIT

elapsed() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }'; }
step_begin() {
  step_name=$1
  step_open=1
  step_start=$(date +%s.%N)
  echo "== $step_name"
}
step_end() {
  local t
  t=$(elapsed "$step_start")
  timings+=("$(printf '%-28s %8s s' "$step_name" "$t")")
  step_open=0
  echo "== $step_name: $t s"
}

# Static programs: nothing but Windows' own DLLs may be imported.
check_static() {
  local exe bad
  for exe in "$@"; do
    bad=$($triplet-objdump -p "$exe" | awk '/DLL Name:/ { print $3 }' |
      grep -viE '^(kernel32|user32|gdi32|winspool|shell32|ole32|oleaut32|comdlg32|advapi32|msvcrt|ws2_32|odbc32|odbccp32|api-ms-win-.*)\.dll$' || true)
    [ -z "$bad" ] || fail "$exe needs DLLs that are not part of Windows: $bad"
  done
}

# ---------------------------------------------------------------- packages
step_begin "packages"
scripts/install-deps.sh googletest tcl dpkg-dev xz-utils zip unzip binutils-mingw-w64-x86-64 \
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev wine wine64
for tool in "$triplet-gcc-posix" "$triplet-g++-posix" "$triplet-objdump" wine wineboot \
  wineserver tclsh zip unzip make cpack perl sqlite3; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done
step_end

# ------------------------------------------------------------- wine prefix
step_begin "wine prefix"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  rm -rf "$WINEPREFIX"
  wineboot -i >"$cache/wineboot.log" 2>&1 || { cat "$cache/wineboot.log" >&2; fail "wineboot"; }
  wineserver -w
  [ -f "$WINEPREFIX/system.reg" ] || fail "wineboot made no prefix in $WINEPREFIX"
else
  echo "kept: $WINEPREFIX"
fi
start_wine
step_end

# ------------------------------------------------------------------ SQLite
# The version and the compile options are those of the Linux package: the
# source package of the installed libsqlite3-dev, its debian/rules CFLAGS
# and configure switches. The source is fetched through a private apt
# configuration (a deb-src line for the suite the binary came from), so the
# machine's own sources are left as they are.
step_begin "sqlite (cross)"
sqlite_src_pkg=$(dpkg-query -W -f='${source:Package}' libsqlite3-dev)
sqlite_src_ver=$(dpkg-query -W -f='${source:Version}' libsqlite3-dev)
sqlite_bin_ver=$(dpkg-query -W -f='${Version}' libsqlite3-dev)
# The cache is rebuilt when the source or the cross compiler package changes.
cross_ver=$(dpkg-query -W -f='${Version}' gcc-mingw-w64-x86-64-posix)
sqlite_key="$sqlite_src_pkg $sqlite_src_ver mingw $cross_ver"
if [ "$(cat "$prefix/.sqlite" 2>/dev/null)" != "$sqlite_key" ]; then
  # Where the installed binary version came from: "500 URI SUITE/COMPONENT ARCH Packages".
  sqlite_origin() {
    apt-cache policy libsqlite3-dev | awk -v v="$sqlite_bin_ver" '
      $1 == "***" && $2 == v { inside = 1; next }
      inside && /^ *(\*\*\* )?[^ ]+ [0-9]+$/ { inside = 0 }
      inside && !found && $2 ~ /:\/\// && $NF == "Packages" { print $2, $3; found = 1 }'
  }
  origin=$(sqlite_origin)
  if [ -z "$origin" ]; then
    apt-get update -qq
    origin=$(sqlite_origin)
  fi
  [ -n "$origin" ] || fail "no archive offers libsqlite3-dev $sqlite_bin_ver (apt-cache policy libsqlite3-dev)"
  read -r origin_uri origin_suite <<<"$origin"
  apt_dir=$cache/apt
  rm -rf "$apt_dir" "$cache/src/sqlite"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$cache/src/sqlite"
  echo "deb-src $origin_uri ${origin_suite%%/*} ${origin_suite#*/}" >"$apt_dir/sources.list"
  echo "source: $(cat "$apt_dir/sources.list"), $sqlite_src_pkg=$sqlite_src_ver"
  apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=/dev/null"
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache::Archives=$apt_dir/archives"
    -o "Dir::Cache::pkgcache=" -o "Dir::Cache::srcpkgcache=" -o "APT::Sandbox::User=root")
  apt-get "${apt_opts[@]}" update -qq
  (cd "$cache/src/sqlite" && apt-get "${apt_opts[@]}" source -qq "$sqlite_src_pkg=$sqlite_src_ver" >/dev/null)
  srcdir=$(find "$cache/src/sqlite" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  [ -f "$srcdir/debian/rules" ] || fail "apt-get source gave no debian/rules"

  # debian/rules: "export CFLAGS += ..." (continued lines) and the
  # --enable/--disable switches of its configure call.
  deb_cflags=$(awk '/^export CFLAGS \+=/ { on = 1; sub(/^export CFLAGS \+=/, "") }
    on { line = $0; more = sub(/\\$/, "", line); printf "%s ", line; if (!more) exit }' \
    "$srcdir/debian/rules" | xargs)
  deb_conf=$(awk '/\.\/configure / { on = 1 } on { print; if ($0 !~ /\\$/) exit }' \
    "$srcdir/debian/rules" | grep -oE -- '--(enable|disable)-[a-z0-9-]+' | xargs)
  [ -n "$deb_cflags" ] || fail "no CFLAGS found in $srcdir/debian/rules"
  [ -n "$deb_conf" ] || fail "no configure switches found in $srcdir/debian/rules"
  echo "debian/rules CFLAGS: $deb_cflags"
  echo "debian/rules configure: $deb_conf"

  # configure with the package's CFLAGS: it copies their -DSQLITE_ENABLE/OMIT
  # options into the parser and keyword generators as the package build does.
  # shellcheck disable=SC2086
  (cd "$srcdir" && CFLAGS="$deb_cflags" ./configure $deb_conf >configure.log 2>&1) ||
    { tail -n 30 "$srcdir/configure.log" >&2; fail "sqlite configure"; }
  make -C "$srcdir" sqlite3.c >"$srcdir/make.log" 2>&1 ||
    { tail -n 30 "$srcdir/make.log" >&2; fail "make sqlite3.c"; }
  feature_flags=$(sed -n 's/^OPT_FEATURE_FLAGS = //p' "$srcdir/Makefile" | xargs)
  echo "configure feature flags: $feature_flags"

  # shellcheck disable=SC2086
  $triplet-gcc-posix $deb_cflags $feature_flags -c "$srcdir/sqlite3.c" -o "$srcdir/sqlite3.o"
  rm -f "$srcdir/libsqlite3.a"
  $triplet-ar rcs "$srcdir/libsqlite3.a" "$srcdir/sqlite3.o"
  mkdir -p "$prefix/include" "$prefix/lib"
  cp "$srcdir/sqlite3.h" "$srcdir/sqlite3ext.h" "$prefix/include/"
  cp "$srcdir/libsqlite3.a" "$prefix/lib/"
  # The version the Linux build links, for the smoke test to hold it against.
  sqlite3 :memory: 'select sqlite_version()' >"$prefix/sqlite-version.txt"
  sqlite3 :memory: 'pragma compile_options' >"$prefix/sqlite-linux-options.txt"
  echo "$sqlite_key" >"$prefix/.sqlite"
  ls -l "$prefix/lib/libsqlite3.a"
else
  echo "kept: $sqlite_key"
fi
step_end

# -------------------------------------------------------------- GoogleTest
step_begin "googletest (cross)"
gtest_key="googletest $(dpkg-query -W -f='${Version}' googletest) mingw $cross_ver"
if [ "$(cat "$prefix/.googletest" 2>/dev/null)" != "$gtest_key" ]; then
  rm -rf "$cache/build/googletest"
  cmake -S /usr/src/googletest -B "$cache/build/googletest" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" >"$cache/googletest-configure.log" ||
    { cat "$cache/googletest-configure.log" >&2; fail "googletest configure"; }
  cmake --build "$cache/build/googletest" -j"$jobs" >"$cache/googletest-build.log" ||
    { tail -n 40 "$cache/googletest-build.log" >&2; fail "googletest build"; }
  cmake --install "$cache/build/googletest" >/dev/null
  echo "$gtest_key" >"$prefix/.googletest"
else
  echo "kept: $gtest_key"
fi
step_end

# -------------------------------------------------------------- smoke test
# A small GoogleTest program on the cross-built libraries, run by ctest
# under wine: proves the toolchain, the static link and the dependencies
# before the project itself is built.
step_begin "smoke test (wine)"
smoke=$build/smoke
rm -rf "$smoke"
cmake -S "$top/scripts/windows-smoke" -B "$smoke" -G "Unix Makefiles" \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DVK_LINUX_SQLITE_VERSION="$(cat "$prefix/sqlite-version.txt")" \
  -DVK_LINUX_SQLITE_OPTIONS="$prefix/sqlite-linux-options.txt" >"$smoke.configure.log" ||
  { cat "$smoke.configure.log" >&2; fail "smoke configure"; }
cmake --build "$smoke" -j"$jobs" >"$smoke.build.log" ||
  { cat "$smoke.build.log" >&2; fail "smoke build"; }
ctest --test-dir "$smoke" --output-on-failure -j"$jobs"

check_static "$smoke/windows-smoke.exe"
step_end

# ----------------------------------------------------------------- project
step_begin "configure"
# A build folder made with another generator is started afresh.
if [ -f "$build/CMakeCache.txt" ] && ! grep -q '^CMAKE_GENERATOR:INTERNAL=Unix Makefiles$' "$build/CMakeCache.txt"; then
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
# A test may take 150 s under wine (the crash test's 200 kills take about
# 60 s there); one that hangs does not hold the run much longer.
cmake -S "$top" -B "$build" -G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DVK_WIN_DEPS="$prefix" -DCMAKE_BUILD_TYPE=Release -DVELMARKON_TESTS=ON \
  -DVELMARKON_ODBC=ON -DVK_TEST_TIMEOUT=150 >"$build/configure.log" ||
  { cat "$build/configure.log" >&2; fail "configure"; }
grep -E '^-- (Found|Windows)' "$build/configure.log" || true
step_end

step_begin "build"
# -k: one run shows every source that does not compile for Windows.
if ! cmake --build "$build" -j"$jobs" -- -k >"$build/build.log" 2>&1; then
  grep -E ' error: |\*\*\* ' "$build/build.log" | sed "s|$top/||" | sort -u | head -n 200 >&2 || true
  errors=$(grep -c ' error: ' "$build/build.log" || true)
  files=$( (grep ' error: ' "$build/build.log" || true) | sed "s|$top/||" | cut -d: -f1 | sort -u | wc -l)
  echo >&2
  echo "windows.sh: the tree does not compile for Windows: $errors errors in $files files" >&2
  echo "windows.sh: (full log: $build/build.log); the toolchain, SQLite, GoogleTest" >&2
  echo "windows.sh: and the smoke test under wine above did pass." >&2
  if grep -q 'Error running test executable' "$build/build.log"; then
    echo "windows.sh: a test program did not start under wine (a DLL missing? see" >&2
    echo "windows.sh: the static link in cmake/mingw-w64-x86_64.cmake)" >&2
  fi
  fail "build"
fi
programs=("$build/velmarkon.exe" "$build/velmarkon-ini.exe" "$build/velmarkon-show.exe"
  "$build/velmarkon-status.exe")
for exe in "${programs[@]}"; do
  [ -f "$exe" ] || fail "$exe was not built"
done
check_static "$build"/*.exe
step_end

step_begin "tests (wine)"
# A test program that wine fails to start ends at once with no output (seen
# once in some hundred runs: 0.01 s, nothing printed). The failed tests run
# a second time, alone; what fails again fails the build, and what passed
# only the second time is named in the log.
if ! ctest --test-dir "$build" --output-on-failure -j"$jobs" >"$build/ctest.log" 2>&1; then
  cat "$build/ctest.log"
  echo "== failed tests, run once more under wine"
  ctest --test-dir "$build" --output-on-failure --rerun-failed 2>&1 | tee "$build/ctest-again.log"
  grep -E '^[0-9]+% tests passed' "$build/ctest-again.log" | grep -q '^100%' ||
    fail "tests under wine"
  echo "windows.sh: passed only when run again:" \
    "$(grep -oE 'Test +#[0-9]+: [^ ]+' "$build/ctest-again.log" | tr '\n' ' ')"
else
  cat "$build/ctest.log"
fi
grep -E '^[0-9]+% tests passed' "$build/ctest.log" >"$build/ctest-summary.txt"
step_end

# ------------------------------------------------------------ demo, twice
step_begin "demo: Linux and wine"
cmake -S "$top" -B "$linux_build" -DCMAKE_BUILD_TYPE=Release >"$build/linux-configure.log" ||
  { cat "$build/linux-configure.log" >&2; fail "configure $linux_build"; }
cmake --build "$linux_build" -j"$jobs" --target velmarkon velmarkon-ini velmarkon-show \
  velmarkon-status >"$build/linux-build.log" 2>&1 ||
  { tail -n 40 "$build/linux-build.log" >&2; fail "build the Linux programs"; }
bash "$top/scripts/windows-demo-check.sh" "$linux_build" "$build" "$build/demo-check"
step_end

# ----------------------------------------------------------------- package
step_begin "package"
rm -f "$build"/velmarkon-*.zip
# cmake/packaging.cmake: the programs, README, schemas and documentation.
(cd "$build" && cpack -G ZIP >"$build/cpack.log" 2>&1) ||
  { cat "$build/cpack.log" >&2; fail "cpack"; }
zip=$(find "$build" -maxdepth 1 -name 'velmarkon-*.zip' | head -n 1)
if [ -z "$zip" ] || [ ! -f "$zip" ]; then fail "no zip was made"; fi
listing=$(unzip -l "$zip")
for want in velmarkon.exe velmarkon-ini.exe velmarkon-show.exe velmarkon-status.exe README.md \
  docs/windows.md schema/sqlite.sql; do
  grep -qE "(/| )$want\$" <<<"$listing" || fail "$zip lacks $want"
done
echo "$listing"
step_end

print_times
echo "windows.sh: tests under wine: $(cat "$build/ctest-summary.txt")"
echo "windows.sh: all done: $zip"
