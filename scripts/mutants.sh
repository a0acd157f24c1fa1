#!/usr/bin/env bash
# shellcheck disable=SC2317  # the functions handed to each_fault run indirectly
# Mutation check of the test suite (by hand, not part of CI): puts each
# single-point fault of a list into a scratch copy of the tree, one at a
# time, rebuilds incrementally, runs the tests and says whether they caught
# it. Prints caught/total at the end.
#
#   scripts/mutants.sh [--list FILE] [--only N,M,...] [--pg] [--check]
#
# --check only checks that every fault of the list applies (its text is in
# its file exactly once), without building anything.
#
# The list (default tests/mutants.txt) holds one fault per block, blocks
# separated by blank lines, lines starting with "#" ignored:
#   file: the source file, relative to the top of the tree
#   find: text that occurs exactly once in that file
#   put:  the text that takes its place (no put line: the text is deleted)
#   what: one line saying what the fault is
# Several find (or put) lines in a row stand for one text of several lines.
#
# The scratch tree and its build (Release, no sanitizers) live in
# build-mutants/ (MUTANTS_DIR) and are reused: later runs rebuild only what
# changed. Tests run with CTest, -j2, stopping at the first failure; the
# failed tests run once more, and a fault counts as caught only when they
# fail again (or when the tests do not end within MUTANT_TIMEOUT seconds,
# default 900); when they pass, the first failure was one of chance and
# every test runs once more without stopping, judged the same way. The man-page, configure and package tests are left out
# (they do not run the program's code). --pg also runs every database test
# on a PostgreSQL server of its own (scripts/pg-server.sh), as CI does.
#
# Exit status: 0 when every fault was caught, 1 when some got through, 2
# when a fault could not be applied or built (the list is out of date).
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2
top=$(pwd)
list=tests/mutants.txt
only=""
pg=0
check=0
while [ $# -gt 0 ]; do
  case "$1" in
    --list) list=$2; shift 2 ;;
    --only) only=",$2,"; shift 2 ;;
    --pg) pg=1; shift ;;
    --check) check=1; shift ;;
    -h | --help) sed -n '3,/^set /p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "mutants.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
[ -f "$list" ] || { echo "mutants.sh: no list $list" >&2; exit 2; }
list=$(cd "$(dirname "$list")" && pwd)/$(basename "$list")

# Puts the fault in place: 0 applied, 1 the text is not there exactly once.
apply() {
  MUT_FIND=$2 MUT_PUT=$3 perl -0777 -i -pe '
    BEGIN { $f = $ENV{MUT_FIND}; $p = $ENV{MUT_PUT}; }
    my $n = () = /\Q$f\E/g;
    if ($n != 1) { $bad = 1; } else { s/\Q$f\E/$p/; }
    END { $? = $bad ? 1 : 0; }' "$1"
}

# Calls $1 with file, find, put and what for every fault of the list.
each_fault() {
  local fn=$1 line t file="" find="" put="" what="" have_find=0 have_put=0
  while IFS= read -r line || [ -n "$line" ]; do
    case "$line" in
      "#"*) ;;
      "")
        [ -n "$file" ] && "$fn" "$file" "$find" "$put" "$what"
        file="" find="" put="" what="" have_find=0 have_put=0 ;;
      file:*) file=${line#file:}; file=${file# } ;;
      find:*)
        t=${line#find:}; t=${t# }
        if [ $have_find = 1 ]; then find="$find"$'\n'"$t"; else find=$t; have_find=1; fi ;;
      put:*)
        t=${line#put:}; t=${t# }
        if [ $have_put = 1 ]; then put="$put"$'\n'"$t"; else put=$t; have_put=1; fi ;;
      what:*) what=${line#what:}; what=${what# } ;;
      *) echo "mutants.sh: line not understood: $line" >&2; return 2 ;;
    esac
  done <"$list"
  [ -n "$file" ] && "$fn" "$file" "$find" "$put" "$what"
  return 0
}

if [ "$check" = 1 ]; then
  bad=0 count=0
  probe() {
    count=$((count + 1))
    local tmp
    tmp=$(mktemp)
    if [ ! -f "$1" ] || ! cp "$1" "$tmp" || ! apply "$tmp" "$2" "$3"; then
      echo "$count $1: does not apply: $4"
      bad=$((bad + 1))
    fi
    rm -f "$tmp"
  }
  each_fault probe || exit 2
  echo "$count faults, $bad do not apply"
  [ "$bad" -eq 0 ] && exit 0 || exit 2
fi

scratch=${MUTANTS_DIR:-$top/build-mutants}
src=$scratch/src
build=$scratch/build
timeout_s=${MUTANT_TIMEOUT:-900}
log=$scratch/log
mkdir -p "$src" "$build" "$log"

# The scratch tree: the files git knows (and new ones it does not ignore),
# copied only where they differ, so that a rebuild stays incremental.
git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' f; do
  [ -f "$f" ] || continue
  if ! cmp -s "$f" "$src/$f"; then
    mkdir -p "$src/$(dirname "$f")"
    cp "$f" "$src/$f"
  fi
done

if [ "$pg" = 1 ]; then
  pgdir=$(mktemp -d /tmp/vkpg.XXXXXX)
  trap '"$top/scripts/pg-server.sh" destroy "$pgdir" >/dev/null 2>&1' EXIT
  scripts/pg-server.sh start "$pgdir" >/dev/null || { echo "mutants.sh: no server" >&2; exit 2; }
  # shellcheck source=/dev/null
  . "$pgdir/env.sh"
fi
pg_flag=OFF
[ "$pg" = 1 ] && pg_flag=ON
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELMARKON_SANITIZE=OFF \
  -DVELMARKON_PG_TESTS=$pg_flag >"$log/configure.txt" 2>&1 ||
  { echo "mutants.sh: configure failed, see $log/configure.txt" >&2; exit 2; }

build_tree() { cmake --build "$build" -j2 >"$1" 2>&1; }
run_tests() {
  (cd "$build" && timeout "$timeout_s" ctest -j2 --stop-on-failure --timeout 300 \
    -E '^(man\.|configure\.|package\.)' >"$1" 2>&1)
}
# Every test, not stopping at a failure (after a failure of chance).
run_all() {
  (cd "$build" && timeout "$timeout_s" ctest -j2 --timeout 300 \
    -E '^(man\.|configure\.|package\.)' >"$1" 2>&1)
}
# The tests that failed, once more: 0 when they fail again (a test that
# fails only now and then proves nothing about a fault).
failed_again() {
  ! (cd "$build" && timeout "$timeout_s" ctest --rerun-failed --timeout 300 >"$1" 2>&1)
}

echo "mutants.sh: building and testing the tree as it is"
if ! build_tree "$log/base-build.txt"; then
  echo "mutants.sh: the tree does not build, see $log/base-build.txt" >&2
  exit 2
fi
if ! run_tests "$log/base-test.txt" && failed_again "$log/base-rerun.txt"; then
  echo "mutants.sh: the tests fail without a fault, see $log/base-test.txt" >&2
  exit 2
fi

n=0 caught=0 missed=0 broken=0
missed_list=""
one() {  # file find put what
  n=$((n + 1))
  if [ -n "$only" ] && [[ "$only" != *",$n,"* ]]; then return; fi
  local file=$1 find=$2 put=$3 what=$4 verdict rc first
  local target=$src/$file
  if [ ! -f "$target" ] || ! apply "$target" "$find" "$put"; then
    verdict="NOT APPLIED (the text is not in $file exactly once)"
    broken=$((broken + 1))
  elif ! build_tree "$log/$n-build.txt"; then
    verdict="NOT BUILT (see $log/$n-build.txt)"
    broken=$((broken + 1))
  else
    run_tests "$log/$n-test.txt"
    rc=$?
    if [ "$rc" -eq 0 ]; then
      verdict="MISSED"
      missed=$((missed + 1))
      missed_list="$missed_list $n"
    elif [ "$rc" -eq 124 ]; then
      verdict="caught (the tests did not end within ${timeout_s}s)"
      caught=$((caught + 1))
    else
      first=$(grep -m1 -E 'Test +#[0-9]+: .*\*\*\*(Failed|Exception|Timeout)' "$log/$n-test.txt" |
        sed -E 's/.*Test +#[0-9]+: ([^ ]+).*/\1/')
      if failed_again "$log/$n-rerun.txt"; then
        verdict="caught${first:+ by $first}"
        caught=$((caught + 1))
      elif ! run_all "$log/$n-all.txt" && failed_again "$log/$n-rerun2.txt"; then
        # The first failure was one of chance; the tests it stopped before
        # caught the fault.
        first=$(grep -m1 -E 'Test +#[0-9]+: .*\*\*\*(Failed|Exception|Timeout)' "$log/$n-all.txt" |
          sed -E 's/.*Test +#[0-9]+: ([^ ]+).*/\1/')
        verdict="caught${first:+ by $first}"
        caught=$((caught + 1))
      else
        verdict="MISSED (${first:-a test} failed once and passed when run again)"
        missed=$((missed + 1))
        missed_list="$missed_list $n"
      fi
    fi
  fi
  cp "$top/$file" "$target" 2>/dev/null  # the file as it was, newer than the build
  printf '%3d %-8s %s: %s\n    %s\n' "$n" "${verdict%% *}" "$file" "$what" "$verdict"
}

each_fault one || exit 2

# The scratch tree as the real one, so that the next run starts from it.
build_tree "$log/final-build.txt" || true

total=$((caught + missed))
echo
summary="caught $caught/$total"
[ -n "$missed_list" ] && summary="$summary (missed:$missed_list)"
[ "$broken" -gt 0 ] && summary="$summary; not applied or not built: $broken"
echo "$summary"
[ "$broken" -gt 0 ] && exit 2
[ "$missed" -gt 0 ] && exit 1
exit 0
