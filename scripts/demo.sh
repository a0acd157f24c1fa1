#!/usr/bin/env bash
# Builds the program and runs it on a demo working tree with an embedded
# database: demo/site/bde/prog/download is the working folder, its
# configuration is demo/files/korvantis.ini (../../../../files from there),
# its send buffers land in demo/site/bde/prog/Comm/Buff.
#
# Environment (scripts/windows.sh runs the same demo under wine with them):
#   VK_DEMO_DIR     the demo tree (default demo; replaced at every start)
#   VK_DEMO_BIN     a folder with the built programs: nothing is installed or
#                   built then
#   VK_DEMO_RUNNER  a command that runs the programs (wine)
#   VK_DEMO_EXE     the programs' file-name suffix (.exe)
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
if [ -n "${VK_DEMO_BIN:-}" ]; then
  bin=$(cd "$VK_DEMO_BIN" && pwd)
else
  scripts/install-deps.sh
  # Configured after the installation; ODBC entries of an older cache are
  # searched afresh.
  cmake -S . -B build -U 'ODBC_*' -DCMAKE_BUILD_TYPE=Release -DVELMARKON_TESTS=OFF >/dev/null
  cmake --build build -j"$(nproc)" >/dev/null
  bin=$top/build
fi
demo=${VK_DEMO_DIR:-demo}
exe=${VK_DEMO_EXE:-}
read -r -a runner <<<"${VK_DEMO_RUNNER:-}"
prog() {
  local name=$1
  shift
  "${runner[@]}" "$bin/$name$exe" "$@"
}

rm -rf "$demo"
work=$demo/site/bde/prog/download
mkdir -p "$demo/files" "$work/Msg" "$demo/site/bde/prog/Comm/Buff"
prog velmarkon-ini set "$demo/files/korvantis.ini" LOGIN bde >/dev/null
prog velmarkon-ini set "$demo/files/korvantis.ini" PASS demo >/dev/null
prog velmarkon-ini set "$demo/files/korvantis.ini" NET8 sqlite:bde.db >/dev/null
sqlite3 "$work/bde.db" < schema/sqlite.sql
for f in schema/demo/*.sql; do sqlite3 "$work/bde.db" < "$f"; done
cd "$work"

say() { printf '\n=== %s\n' "$*"; }
query() { sqlite3 -header -column bde.db "$1"; }
run() {
  say "velmarkon $*"
  set +e
  prog velmarkon "$@"
  echo "exit status $?"
  set -e
}
status() {
  say "velmarkon-status $*"
  set +e
  prog velmarkon-status "$@"
  echo "exit status $?"
  set -e
}

say "configuration file (../../../../files/korvantis.ini), as the program reads it"
prog velmarkon-ini show ../../../../files/korvantis.ini
say "terminal groups"
query "SELECT CfgDta, CfgIP, CfgPrt, CfgVn1, CfgBi1, CfgVn2, CfgBi2 FROM Kvs557Cfg"
say "cost centres and production areas"
query "SELECT KstNum, KstBez FROM o1003Kststelle"
query "SELECT FbeFbe, FbeBez, FbeTyp FROM Kvs559Fbe"

# What an operator sees before the first run: rows waiting, no send buffer,
# no log yet.
status --stale 24

run DEMO Kvs537Ksg
run DEMO kvs537ksg

# One step per table (and the update-request run last), each showing the rows
# before and after its run.
for extra in "$top"/scripts/demo.d/*.sh; do
  [ -e "$extra" ] && . "$extra"
done

say "send buffers"
ls -l ../Comm/Buff
for f in ../Comm/Buff/*.buf; do
  say "$f, raw"
  cat "$f"
  say "$f, decoded"
  prog velmarkon-show "$f"
done
say "message log (./Msg/Velmarkon.Txt)"
if [ -f Msg/Velmarkon.Txt ]; then iconv -f WINDOWS-1252 -t UTF-8 Msg/Velmarkon.Txt | tr -d '\r'; fi

# And after the last run: what is left waiting (rows of another marker), the
# send buffers, the log entries of the wrong-keyword run, the last run.
status --stale 24
