#!/bin/sh
# Renders one manual page the way man(1) does and once more through groff with
# every warning on; any warning, or a page that renders to nothing, fails.
#   tests/man-check.sh docs/man/velmarkon.1 [VERSION]
# With VERSION, the page's title line must name that version of velmarkon.
set -u
page=$1
version=${2:-}
for tool in man groff; do
  command -v $tool >/dev/null 2>&1 || { echo "$tool is not installed (Debian: man-db, groff-base)"; exit 1; }
done
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=w -l "$page" >"$out" 2>"$err" || echo "man -l failed" >>"$err"
LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$page" 2>>"$err" || echo "groff failed" >>"$err"
grep -q "^NAME" "$out" || echo "no NAME section rendered" >>"$err"
if [ -n "$version" ] && ! grep -q "^\.TH .*\"velmarkon $version\"" "$page"; then
  echo "the title line does not name velmarkon $version" >>"$err"
fi
if [ -s "$err" ]; then
  cat "$err"
  exit 1
fi
echo "$page: $(wc -l <"$out") lines, no warning"
