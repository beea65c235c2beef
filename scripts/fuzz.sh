#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a while:
#   fuzz.sh [seconds per target] [target...]     (default: 20 s, every target)
# Each target starts from its committed seeds in fuzz/corpus/<name>; what it
# finds goes to build/fuzz/corpus/<name>, crashes to build/fuzz/crashes/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-20}"
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(run doc database config pattern frontend)

"$root/scripts/build.sh" build/fuzz -DZIVRAT_FUZZ=ON -DZIVRAT_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_C_COMPILER=clang-14

out="$root/build/fuzz"
mkdir -p "$out/crashes"
for name in "${targets[@]}"; do
  mkdir -p "$out/corpus/$name"
  echo "fuzzing $name for $seconds s"
  # A run of more than 10 s on one input, or more than 2 GB, is a fault too.
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$out/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=8192 -dict="$root/fuzz/$name.dict" -artifact_prefix="$out/crashes/$name-" \
      -print_final_stats=1 "$out/corpus/$name" "$root/fuzz/corpus/$name" \
      > "$out/$name.log" 2>&1 || {
    echo "fuzz_$name found a fault: see $out/$name.log and $out/crashes/" >&2
    tail -40 "$out/$name.log" >&2
    exit 1
  }
  grep -aE "^stat::number_of_executed_units" "$out/$name.log" | sed "s/^/  /" || true
done
echo "fuzzing passed"
