#!/bin/sh
# Builds the Debian package from a build folder, unpacks it into a temporary
# root and runs the programs from there: the package holds what a site
# installs, its dependencies come from the libraries the programs link, and
# velmarkon --version answers with the build's version.
#   tests/package-test.sh BUILD_DIR VERSION [CPACK]
set -u
build=$1
version=$2
cpack=${3:-cpack}
for tool in "$cpack" dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed (Debian: cmake, dpkg-dev)"; exit 1; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0
fail() {
  echo "FAILED: $*"
  failed=1
}

if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log"
  exit 1
fi
deb=$(ls "$tmp"/out/*.deb)
echo "package: $(basename "$deb")"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
echo "$depends" | grep -q "libsqlite3" || fail "the dependencies do not name libsqlite3"
if grep -q "VK_HAVE_ODBC" "$build/CMakeFiles/vkcore.dir/flags.make" 2>/dev/null; then
  echo "$depends" | grep -q "libodbc" || fail "the dependencies do not name unixODBC's library"
fi

dpkg -x "$deb" "$tmp/root"
root=$tmp/root/usr
for f in bin/velmarkon bin/velmarkon-ini bin/velmarkon-show bin/velmarkon-status \
  share/man/man1/velmarkon.1 share/man/man1/velmarkon-ini.1 share/man/man1/velmarkon-show.1 \
  share/man/man1/velmarkon-status.1 share/velmarkon/schema/sqlite.sql \
  share/velmarkon/schema/postgresql.sql share/velmarkon/schema/oracle.sql \
  share/doc/velmarkon/README.md share/doc/velmarkon/odbc.md share/doc/velmarkon/scheduling.md; do
  [ -e "$root/$f" ] || fail "the package lacks $f"
done

for p in velmarkon velmarkon-ini velmarkon-show velmarkon-status; do
  out=$("$root/bin/$p" --version 2>&1)
  rc=$?
  echo "$out" | head -n 1
  [ $rc -eq 0 ] || fail "$p --version exited with $rc"
  echo "$out" | grep -q "^$p $version" || fail "$p --version does not show version $version"
  echo "$out" | grep -q "^database back ends: sqlite" || fail "$p --version does not list the back ends"
done

if [ $failed -ne 0 ]; then
  dpkg-deb -c "$deb"
  exit 1
fi
echo "package checks passed"
