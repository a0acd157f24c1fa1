#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, if missing.
# Extra package names may be given as arguments.
set -euo pipefail
need=(g++ cmake make libsqlite3-dev sqlite3 libgtest-dev libgmock-dev unixodbc unixodbc-dev "$@")
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
