#!/usr/bin/env bash
# A private PostgreSQL server for tests and trials, in a folder of its own.
#
#   scripts/pg-server.sh start DIR [PORT]  create (first time) and start the server
#   scripts/pg-server.sh stop DIR          stop it, keep its data
#   scripts/pg-server.sh destroy DIR       stop it and remove DIR
#
# The server listens on 127.0.0.1 (a free port from 54320 up unless PORT is
# given) and on a socket in DIR/sock; its cluster has no locale (text sorts by
# byte) and UTF-8 storage. "start" creates the login role bde (password
# VK_PG_PASS, default "secret", allowed to create databases), the database
# bde, and an ODBC set-up of its own: DIR/odbcinst.ini, DIR/odbc.ini with the
# data source VKPG, and DIR/env.sh, which exports ODBCSYSINI, ODBCINI and the
# VK_PG_* values the tests read. Nothing outside DIR is touched.
#
# A new server runs with fsync and full-page writes off (fast tests);
# VK_PG_FSYNC=on at its first start makes it durable (the benchmark).
set -euo pipefail

cmd=${1:-}
dir=${2:-}
if [ -z "$cmd" ] || [ -z "$dir" ]; then
  sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
fi

pgbin=$( (ls -d /usr/lib/postgresql/*/bin 2>/dev/null || true) | sort -V | tail -n 1)
[ -n "$pgbin" ] && [ -x "$pgbin/initdb" ] || { echo "PostgreSQL server not installed" >&2; exit 1; }

# initdb and the server refuse to run as root: they run as postgres then.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then (cd / && runuser -u postgres -- "$@"); else "$@"; fi
}

free_port() {
  local p
  for p in $(seq 54320 54420); do
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then
      echo "$p"
      return
    fi
  done
  echo "no free port" >&2
  exit 1
}

psql_admin() {
  as_owner "$pgbin/psql" -X -q -v ON_ERROR_STOP=1 -h "$dir/sock" -p "$(cat "$dir/port")" \
    -U postgres "$@"
}

start() {
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  # The server's user must reach its folder: every parent needs search rights.
  if [ "$(id -u)" -eq 0 ]; then
    local d=$dir
    while [ "$d" != "/" ]; do
      runuser -u postgres -- test -x "$d" || chmod o+x "$d"
      d=$(dirname "$d")
    done
  fi
  local fresh=0
  if [ ! -f "$dir/data/PG_VERSION" ]; then
    fresh=1
    mkdir -p "$dir/data" "$dir/sock"
    [ "$(id -u)" -ne 0 ] || chown postgres "$dir/data" "$dir/sock"
    chmod 0700 "$dir/data" "$dir/sock"
    as_owner "$pgbin/initdb" -D "$dir/data" -U postgres --no-locale -E UTF8 \
      --auth-local=trust --auth-host=scram-sha-256 >"$dir/initdb.log" 2>&1 ||
      { cat "$dir/initdb.log" >&2; exit 1; }
    echo "${3:-$(free_port)}" >"$dir/port"
    cat >>"$dir/data/postgresql.conf" <<EOF
listen_addresses = '127.0.0.1'
port = $(cat "$dir/port")
unix_socket_directories = '$dir/sock'
max_connections = 60
shared_buffers = 32MB
fsync = ${VK_PG_FSYNC:-off}
full_page_writes = ${VK_PG_FSYNC:-off}
logging_collector = off
EOF
  fi
  if ! as_owner "$pgbin/pg_ctl" -D "$dir/data" status >/dev/null 2>&1; then
    as_owner "$pgbin/pg_ctl" -D "$dir/data" -l "$dir/data/server.log" -w -t 60 start >/dev/null
  fi
  local pass=${VK_PG_PASS:-secret}
  if [ $fresh -eq 1 ]; then
    psql_admin -d postgres <<EOF
CREATE ROLE bde LOGIN CREATEDB PASSWORD '$pass';
CREATE DATABASE bde OWNER bde TEMPLATE template0 ENCODING 'UTF8' LC_COLLATE 'C' LC_CTYPE 'C';
EOF
    write_odbc "$pass"
  fi
}

write_odbc() {
  local driver="" f
  for f in /usr/lib/*/odbc/psqlodbca.so /usr/lib/odbc/psqlodbca.so; do
    if [ -f "$f" ]; then driver=$f; break; fi
  done
  [ -n "$driver" ] || { echo "psqlODBC (odbc-postgresql) not installed" >&2; exit 1; }
  cat >"$dir/odbcinst.ini" <<EOF
[PostgreSQL ANSI]
Description=PostgreSQL ODBC driver, single-byte
Driver=$driver
EOF
  cat >"$dir/odbc.ini" <<EOF
[VKPG]
Driver=PostgreSQL ANSI
Servername=127.0.0.1
Port=$(cat "$dir/port")
Database=bde
Protocol=7.4-2
UseDeclareFetch=1
ConnSettings=set client_encoding to 'WIN1252'
EOF
  cat >"$dir/env.sh" <<EOF
export ODBCSYSINI='$dir'
export ODBCINI='$dir/odbc.ini'
export VK_PG_DIR='$dir'
export VK_PG_PORT='$(cat "$dir/port")'
export VK_PG_DSN=VKPG
export VK_PG_USER=bde
export VK_PG_PASS='$1'
EOF
}

stop() {
  [ -d "$dir/data" ] || return 0
  if as_owner "$pgbin/pg_ctl" -D "$dir/data" status >/dev/null 2>&1; then
    as_owner "$pgbin/pg_ctl" -D "$dir/data" -m fast -w -t 60 stop >/dev/null
  fi
}

case "$cmd" in
  start) start "$@" ;;
  stop) stop ;;
  destroy)
    stop
    rm -rf "$dir"
    ;;
  *)
    echo "unknown command: $cmd" >&2
    exit 2
    ;;
esac
