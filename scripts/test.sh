#!/usr/bin/env bash
# Installs what is missing, then builds and tests in every configuration CI
# keeps green:
#   1. the README's Release build (warnings are errors), tests included, run
#      on the embedded database (build-release/);
#   2. the build under AddressSanitizer and UndefinedBehaviorSanitizer, every
#      test run once on the embedded database and, for the database tests,
#      once more on a PostgreSQL server of their own, started in a temporary
#      folder through ODBC, stopped and removed at the end (build-test/);
#   3. the libFuzzer targets, built with clang under ASan and UBSan, each run
#      for VK_FUZZ_SECONDS (60) from its seed corpus in tests/fuzz/
#      (build-fuzz/; new inputs collect in build-fuzz/corpus/, a crash's input
#      in build-fuzz/artifacts/).
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
jobs=2
# man-db and groff-base render the manual pages, dpkg-dev and file build the
# Debian package (dpkg-shlibdeps), clang and libFuzzer build the fuzzers.
scripts/install-deps.sh odbc-postgresql postgresql man-db groff-base dpkg-dev file clang \
  libfuzzer-14-dev

# Each build is configured after the installation, with the ODBC entries of
# an older cache searched afresh.
echo "== Release build"
cmake -S . -B build-release -U 'ODBC_*' -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release -j"$jobs"

echo "== sanitizer build"
cmake -S . -B build-test -U 'ODBC_*' -DCMAKE_BUILD_TYPE=Debug -DVELMARKON_SANITIZE=ON \
  -DVELMARKON_PG_TESTS=ON >/dev/null
cmake --build build-test -j"$jobs"

echo "== fuzz targets"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DVELMARKON_FUZZ=ON -DVELMARKON_TESTS=OFF >/dev/null
cmake --build build-fuzz -j"$jobs" --target velmarkon-fuzz-ini velmarkon-fuzz-record

echo "== tests, Release build"
(cd build-release && ctest --output-on-failure -j"$jobs")

pgdir=$(mktemp -d /tmp/vkpg.XXXXXX)
trap '"$top/scripts/pg-server.sh" destroy "$pgdir"' EXIT
scripts/pg-server.sh start "$pgdir"
echo "== tests, sanitizer build (embedded database and PostgreSQL)"
(
  # shellcheck source=/dev/null
  . "$pgdir/env.sh"
  cd build-test
  ctest --output-on-failure -j"$jobs"
)

seconds=${VK_FUZZ_SECONDS:-60}
for name in ini record; do
  echo "== fuzzing $name for ${seconds} s"
  mkdir -p "build-fuzz/corpus/$name" build-fuzz/artifacts
  log="build-fuzz/fuzz-$name.log"
  if ! "build-fuzz/velmarkon-fuzz-$name" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix=build-fuzz/artifacts/ "build-fuzz/corpus/$name" "tests/fuzz/$name" \
    >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz target $name failed: its input is in build-fuzz/artifacts/" >&2
    exit 1
  fi
  grep -E "^(Done|stat::number_of_executed_units|stat::peak_rss_mb)" "$log"
done
