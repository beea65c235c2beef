#!/usr/bin/env bash
# Sets up the machine, then builds and runs every test twice: in a normal
# build and in an address + undefined-behaviour sanitizer build; then, when
# clang is installed, runs each fuzz target for about 20 s.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"

run_suite() {
  local folder="$1"
  shift
  "$root/scripts/build.sh" "$folder" -DZIVRAT_TESTS=ON "$@"
  (cd "$root/$folder" && ctest --output-on-failure --no-tests=error -j 2)
}

run_suite build/release
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite build/sanitize -DZIVRAT_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
if command -v clang++-14 >/dev/null; then
  "$root/scripts/fuzz.sh" 20
else
  echo "clang++-14 is not installed: fuzz targets skipped"
fi
echo "all tests passed"
