#!/usr/bin/env bash
# The demo data set end to end twice on the same data (scripts/demo.sh): with
# the Linux programs and with the Windows programs under wine. Both must give
# the same send-buffer files byte for byte, each record's time stamps aside
# (the writing time at offset 21, 14 characters; the run's date and time at
# offsets 93 and 99, 6 characters each), the same log entries (their date
# and time lines aside), the same exit status of every run and the same rows
# in the database (times the runs set aside).
#
#   scripts/windows-demo-check.sh LINUX_BIN WINDOWS_BIN OUT
#
# LINUX_BIN and WINDOWS_BIN hold the built programs; the two demo trees and
# their outputs go to OUT/linux and OUT/wine. The caller sets WINEPREFIX.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -eq 3 ] || { echo "usage: $0 LINUX_BIN WINDOWS_BIN OUT" >&2; exit 2; }
linux_bin=$1
win_bin=$2
out=$3
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
# Times the runs set are at least this one (database change times).
start=$(date '+%Y-%m-%d %H:%M:%S')

VK_DEMO_BIN=$linux_bin VK_DEMO_DIR=$out/linux bash scripts/demo.sh >"$out/linux.txt" 2>&1 ||
  { tail -n 30 "$out/linux.txt" >&2; echo "the Linux demo failed" >&2; exit 1; }
VK_DEMO_BIN=$win_bin VK_DEMO_DIR=$out/wine VK_DEMO_RUNNER=wine VK_DEMO_EXE=.exe \
  bash scripts/demo.sh >"$out/wine.txt" 2>&1 ||
  { tail -n 30 "$out/wine.txt" >&2; echo "the demo under wine failed" >&2; exit 1; }

failed=0
differ() {
  echo "windows-demo-check: $1 differ:" >&2
  diff "$2" "$3" | head -n 20 >&2 || true
  failed=1
}

# What both must agree on, one file per side.
facts() {
  local side=$1 tree=$out/$1 f
  local buff=$tree/site/bde/prog/Comm/Buff work=$tree/site/bde/prog/download
  (cd "$buff" && ls) >"$out/$side.files"
  for f in "$buff"/*.buf; do
    # Whole records only, each with its time stamps blanked.
    perl -e 'local $/; my $d = <STDIN>; my $n = length($d);
      die "not whole records\n" if $n % 552;
      for (my $at = 0; $at < $n; $at += 552) {
        substr($d, $at + 21, 14) = "#" x 14; substr($d, $at + 93, 12) = "#" x 12;
      }
      print $d' <"$f" >"$out/$side.$(basename "$f")"
  done
  grep -avE '^System-(Date|Time): ' "$work/Msg/Velmarkon.Txt" >"$out/$side.log"
  grep -aE '^=== velmarkon |^exit status ' "$out/$side.txt" >"$out/$side.runs"
  sqlite3 "$work/bde.db" .dump |
    perl -pe 'BEGIN { $s = shift } s/(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)/$1 ge $s ? "<run time>" : $1/ge' \
      "$start" >"$out/$side.db"
}
facts linux
facts wine

cmp -s "$out/linux.files" "$out/wine.files" || differ "send-buffer files" "$out/linux.files" "$out/wine.files"
records=0
while read -r f; do
  if ! cmp -s "$out/linux.$f" "$out/wine.$f"; then
    differ "$f (time stamps aside)" <(od -c "$out/linux.$f") <(od -c "$out/wine.$f")
  fi
  records=$((records + $(stat -c %s "$out/linux.$f") / 552))
done <"$out/linux.files"
for what in log runs db; do
  cmp -s "$out/linux.$what" "$out/wine.$what" || differ "$what" "$out/linux.$what" "$out/wine.$what"
done
[ "$records" -gt 0 ] || { echo "windows-demo-check: no records were written" >&2; failed=1; }
[ "$failed" = 0 ] || exit 1
echo "windows-demo-check: Linux and wine agree: $(wc -l <"$out/linux.files") send-buffer files," \
  "$records records, $(grep -c '^exit status' "$out/linux.runs") runs," \
  "$(grep -ac $'^\xFE' "$out/linux.log") log entries, the database rows"
