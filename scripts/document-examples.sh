#!/usr/bin/env bash
# Sets up the machine, builds zivrat and documents the example library in
# examples/ into the folder examples-html/ (open examples-html/index.html).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh" build/release -DZIVRAT_TESTS=OFF

out="$root/examples-html"
mkdir -p "$out"
cd "$root/examples"
# -C keeps the comments, so that the documentation comments reach the parser;
# --lenient reads the comment styles of today's headers (templates.h).
"$root/build/release/src/zivrat" --lenient -C -lo "$out" -ld doc *.h
echo "pages written to $out"
