#!/usr/bin/env bash
# Documents the unmodified headers of four real libraries (Debian's -dev
# packages of FLTK, X11, cppunit and log4cpp) in lenient mode, and compares
# the classes found with those Doxygen finds in the same headers.
#
#   bench/realworld/run.sh [ZIVRAT] [--system]
#
# ZIVRAT defaults to build/release/src/zivrat. With --system, the system
# include folders (glibc, Linux, libstdc++) are on the command line too.
# Packages are downloaded and extracted into $ZIVRAT_REALWORLD_CACHE
# (default ~/.cache/zivrat-realworld), never into the repository.
# Prints per library: header files, files that failed in the preprocessor,
# files with parse messages, classes documented, recall against Doxygen's
# class/struct/union names, recall of the members (data and functions, by
# name) of the classes both found, wall time and peak memory of the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
zivrat="$root/build/release/src/zivrat"
system=no
for arg in "$@"; do
  case "$arg" in
    --system) system=yes ;;
    *) zivrat="$(cd "$(dirname "$arg")" && pwd)/$(basename "$arg")" ;;
  esac
done
cache="${ZIVRAT_REALWORLD_CACHE:-$HOME/.cache/zivrat-realworld}"
libraries=(fltk x11 cppunit log4cpp)
declare -A package=([fltk]=libfltk1.3-dev [x11]=libx11-dev [cppunit]=libcppunit-dev [log4cpp]=liblog4cpp5-dev)
# Headers the libraries include from other packages, and the system's own.
others=(x11proto-dev libxcb1-dev libxau-dev libxdmcp-dev libc6-dev linux-libc-dev libstdc++-12-dev)

fetch() {
  mkdir -p "$cache/debs" "$cache/root"
  local wanted=()
  for name in "${package[@]}" "${others[@]}"; do
    ls "$cache/debs/${name}"_*.deb >/dev/null 2>&1 || wanted+=("$name")
  done
  if [ ${#wanted[@]} -gt 0 ]; then
    (cd "$cache/debs" && apt-get download "${wanted[@]}" >/dev/null)
  fi
  if [ ! -e "$cache/root/.extracted" ]; then
    for deb in "$cache"/debs/*.deb; do dpkg-deb -x "$deb" "$cache/root"; done
    touch "$cache/root/.extracted"
  fi
}

# The header files a package installs, as paths in the extracted tree.
headers_of() {
  dpkg-deb -c "$cache"/debs/"$1"_*.deb | awk '{print $NF}' | sed 's#^\./##' |
    grep -E '^usr/include/.*\.(h|H|hh|hpp|hxx)$' | sed "s#^#$cache/root/#" | sort
}

# Class names, one per line: the last component of a qualified name,
# without template arguments.
normalise() {
  sed -e 's/&lt;/</g; s/&gt;/>/g; s/&amp;/\&/g' -e 's/<.*//' -e 's/.*:://' -e 's/ *$//' |
    grep -v '^$' | sort -u
}

reference_classes() {
  local lib="$1" out="$2"
  mkdir -p "$out"
  {
    echo "INPUT = $(headers_of "${package[$lib]}" | tr '\n' ' ')"
    echo "OUTPUT_DIRECTORY = $out"
    echo "GENERATE_HTML = NO"
    echo "GENERATE_LATEX = NO"
    echo "GENERATE_XML = YES"
    echo "EXTRACT_ALL = YES"
    echo "EXTRACT_PRIVATE = YES"
    echo "EXTRACT_STATIC = YES"
    echo "EXTRACT_LOCAL_CLASSES = YES"
    echo "EXTENSION_MAPPING = H=C++"
    echo "QUIET = YES"
    echo "WARNINGS = NO"
  } > "$out/Doxyfile"
  doxygen "$out/Doxyfile" >/dev/null 2>&1
  grep -oE 'kind="(class|struct|union)"><name>[^<]*' "$out/xml/index.xml" | sed 's/.*<name>//' | normalise
}

# "class<TAB>member" lines of the reference: the data and function members
# that Doxygen lists under each class, struct and union.
reference_members() {
  awk '
    function nameOf(line) { sub(/.*<name>/, "", line); sub(/<\/name>.*/, "", line); return line }
    /<compound / { inclass = ($0 ~ /kind="(class|struct|union)"/); owner = nameOf($0); next }
    inclass && /<member .*kind="(function|variable)"/ { print owner "\t" nameOf($0) }
  ' "$1/xml/index.xml" | normalise_pairs
}

# The same from the class pages: the bold name of a function, the last word
# of a data member.
documented_members() {
  local out="$1" name page
  while IFS=$'\t' read -r name page; do
    [ -f "$out/$page" ] || continue
    sed 's/<li>/\n<li>/g' "$out/$page" | { grep -E '^<li><font size=4>' || true; } | sed -e 's/<\/font>.*//' |
      awk -v owner="$name" '
      /<b>/ { member = $0; sub(/.*<b>/, "", member); sub(/<\/b>.*/, "", member);
              if ($0 ~ /~ *<b>/) member = "~" member;
              print owner "\t" member; next }
      { text = $0; sub(/ *;$/, "", text); sub(/ : *[A-Za-z0-9_]+$/, "", text); gsub(/\[[^]]*\]/, "", text);
        n = split(text, words, /[^A-Za-z0-9_]+/); while (n > 0 && words[n] == "") n--;
        if (n > 0) print owner "\t" words[n] }'
  done < <(cat "$out"/*.html 2>/dev/null |
           { grep -oE '(Struct|Class|Union) : <a href="[^"]*">[^<]*</a>' || true; } |
           sed -E 's/.*href="([^"]*)">([^<]*)<.*/\2\t\1/' | sort -u -t$'\t' -k1,1) | normalise_pairs
}

# Class names as normalise makes them; member names without blanks and
# escapes (operator = is operator=).
normalise_pairs() {
  sed -e 's/&lt;/</g; s/&gt;/>/g; s/&amp;/\&/g' |
    awk -F'\t' '{ c = $1; sub(/<.*/, "", c); sub(/.*::/, "", c); m = $2; gsub(/ /, "", m);
                  sub(/<.*/, "", m); if (c != "" && m != "") print c "\t" m }' | sort -u
}

documented_classes() {
  cat "$1"/*.html 2>/dev/null | { grep -oE '(Struct|Class|Union) : <a href="[^"]*">[^<]*</a>' || true; } |
    sed -e 's/.*">//' -e 's#</a>##' | normalise
}

run_library() {
  local lib="$1" work="$cache/work/$lib"
  rm -rf "$work"
  mkdir -p "$work/out"
  local includes=(-I "$cache/root/usr/include")
  if [ "$system" = yes ]; then
    includes+=(-I "$cache/root/usr/include/x86_64-linux-gnu" -I "$cache/root/usr/include/c++/12"
               -I "$cache/root/usr/include/x86_64-linux-gnu/c++/12")
  fi
  mapfile -t files < <(headers_of "${package[$lib]}")
  (cd "$work" && /usr/bin/time -f '%e %M' -o time.txt \
     "$zivrat" --lenient -C "${includes[@]}" -lo out "${files[@]}" > log.txt 2>&1 || true)
  # An input's name stands alone on its line; "parsing ..." follows it
  # unless preprocessing failed.
  local failed parsed_with_messages
  failed=$(awk -v n="${#files[@]}" '
      /^parsing \.\.\.$/ { parsed++ } END { print n - parsed }' "$work/log.txt")
  parsed_with_messages=$(awk '
      /^parsing \.\.\.$/ { inparse = 1; flagged = 0; next }
      /^generating \.\.\.$/ { inparse = 0; next }
      inparse && !flagged && /(^[0-9]+: |, line [0-9]+: )/ { count++; flagged = 1 }
      END { print count + 0 }' "$work/log.txt")
  reference_classes "$lib" "$work/reference" > "$work/reference.txt"
  documented_classes "$work/out" > "$work/documented.txt"
  local reference found recall
  reference=$(wc -l < "$work/reference.txt")
  found=$(comm -12 "$work/reference.txt" "$work/documented.txt" | wc -l)
  recall=$(awk -v f="$found" -v r="$reference" 'BEGIN { printf "%.1f", r ? 100 * f / r : 0 }')
  # Members of the classes that both found.
  reference_members "$work/reference" > "$work/reference-members.txt"
  documented_members "$work/out" > "$work/documented-members.txt"
  comm -12 "$work/reference.txt" "$work/documented.txt" > "$work/common.txt"
  local memberRef memberFound
  memberRef=$(awk -F'\t' 'NR == FNR { both[$1] = 1; next } ($1 in both)' "$work/common.txt" \
                "$work/reference-members.txt" | tee "$work/reference-members-common.txt" | wc -l)
  memberFound=$(comm -12 "$work/reference-members-common.txt" "$work/documented-members.txt" | wc -l)
  local memberRecall
  memberRecall=$(awk -v f="$memberFound" -v r="$memberRef" 'BEGIN { printf "%.1f", r ? 100 * f / r : 0 }')
  read -r seconds kilobytes < <(tail -n 1 "$work/time.txt")
  printf '%-8s %6d %10d %10d %8d %6d/%-6d %6.1f%% %6d/%-6d %6.1f%% %7.2fs %7.1fMB\n' "$lib" \
    "${#files[@]}" "$failed" "$parsed_with_messages" "$(wc -l < "$work/documented.txt")" "$found" \
    "$reference" "$recall" "$memberFound" "$memberRef" "$memberRecall" "$seconds" \
    "$(awk -v k="$kilobytes" 'BEGIN { print k / 1024 }')"
}

fetch
printf '%-8s %6s %10s %10s %8s %13s %7s %13s %7s %8s %9s\n' library files pp-failed parse-msg classes \
  found/ref recall members/ref recall time memory
for lib in "${libraries[@]}"; do run_library "$lib"; done
echo "(logs and pages in $cache/work; system include folders: $system)"
