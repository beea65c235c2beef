#!/usr/bin/env bash
# Builds the .deb package, unpacks it into a temporary root as dpkg would
# install it, and runs the installed programs on the examples, started by
# name through PATH: they must read the zivrat.ini installed beside them
# and write the same pages as the built zivrat.
# Usage: package_test.sh CPACK BUILD_FOLDER BUILT_ZIVRAT SOURCE_FOLDER
set -euo pipefail
cpack="$1" build="$2" built="$3" source="$4"

for tool in "$cpack" dpkg-deb; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is missing, the package cannot be built and unpacked"
    exit 77
  fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The package and what it holds.
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  fail "cpack could not build the package"
fi
debs=("$work"/package/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb, found: ${debs[*]}"
deb="${debs[0]}"
[ "$(dpkg-deb -f "$deb" Package)" = zivrat ] || fail "the package is not named zivrat"

root="$work/root"
dpkg-deb -x "$deb" "$root"
expected="./usr/bin/zivrat
./usr/bin/zivrat-front
./usr/bin/zivrat.ini
./usr/share/man/man1/zivrat-front.1
./usr/share/man/man1/zivrat.1"
files="$(cd "$root" && find . -type f | LC_ALL=C sort)"
[ "$files" = "$expected" ] || fail "the package holds:
$files"
cmp -s "$root/usr/bin/zivrat.ini" "$source/config/zivrat.ini" || fail "zivrat.ini is not the sample"
version="$("$root/usr/bin/zivrat" -V | sed -n 2p)"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version differs from zivrat's $version"

# The examples, documented by the installed and by the built zivrat.
export SOURCE_DATE_EPOCH=883990987 TZ=UTC
run="$work/examples"
cp -rp "$source/examples" "$run"
cd "$run"
mkdir installed built front
PATH="$root/usr/bin:$PATH" zivrat -C -lo installed -ld doc *.h >installed.log 2>&1 ||
  fail "the installed zivrat failed: $(cat installed.log)"
"$built" -C -lo built -ld doc *.h >built.log 2>&1 || fail "the built zivrat failed: $(cat built.log)"
grep -q "zivrat.ini" installed.log && fail "the installed zivrat did not read its zivrat.ini: $(cat installed.log)"
[ "$(tail -n 1 installed.log)" = Ok ] || fail "the installed run did not end with Ok"
cmp -s installed.log built.log || fail "the logs differ: $(diff installed.log built.log)"
[ -f installed/index.html ] && [ -f installed/Circle.html ] || fail "pages are missing: $(ls installed)"
diff -r installed built >/dev/null || fail "the pages differ: $(diff -r installed built | head -20)"

# The installed client finds the installed zivrat and ends with its status.
PATH="$root/usr/bin:$PATH" zivrat-front -C -lo front -ld doc *.h >front.log 2>&1 ||
  fail "the installed zivrat-front failed: $(cat front.log)"
grep -q "zivrat.ini" front.log && fail "zivrat-front's zivrat did not read its zivrat.ini"
diff -r installed front >/dev/null || fail "zivrat-front's pages differ: $(diff -r installed front | head -20)"
status=0
PATH="$root/usr/bin:$PATH" zivrat-front -1 -P missing.h >/dev/null 2>&1 || status=$?
[ "$status" -eq 255 ] || fail "zivrat-front ended with $status after a failed run"
echo "package test passed"
