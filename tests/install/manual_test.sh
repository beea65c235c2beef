#!/usr/bin/env bash
# The manual pages against the programs: every flag and long option of
# zivrat, every configuration key and every option of zivrat-front has its
# entry, and man reads the pages without a warning.
# Usage: manual_test.sh SOURCE_FOLDER ZIVRAT_FRONT
set -euo pipefail
source="$1" front="$2"
zivrat_page="$source/man/zivrat.1"
front_page="$source/man/zivrat-front.1"
missing=()

# The flag letters are those of the option string; -l stands for -lo, -ld, -lb.
letters="$(sed -n 's/.*kOptionString = "\([^"]*\)".*/\1/p' "$source/src/driver/run.h" | tr -d ':')"
[ -n "$letters" ] || missing+=("the option string in src/driver/run.h")
for ((i = 0; i < ${#letters}; i++)); do
  letter="${letters:i:1}"
  flags=("$letter")
  [ "$letter" = l ] && flags=(lo ld lb)
  for flag in "${flags[@]}"; do
    grep -Eq "^\.BI? \\\\-$flag( |$)" "$zivrat_page" || missing+=("zivrat.1: -$flag")
  done
done

# The long options are the "--name" texts that the run driver compares with.
for option in $(grep -oh '"--[a-z][a-z-]*"' "$source"/src/driver/*.cpp | tr -d '"' | sort -u); do
  grep -Eq "^\.B \\\\-\\\\-${option#--}( |$)" "$zivrat_page" || missing+=("zivrat.1: $option")
done

# The keys are those of the sample, and those looked up on their own.
keys="$( (sed -n 's/^\([a-z][a-z.]*\)[ \t][ \t]*=.*/\1/p' "$source/config/zivrat.ini"
          grep -oh 'keyPattern("[a-z.]*")' "$source"/src/driver/*.cpp | sed 's/keyPattern("\(.*\)")/\1/') |
        sort -u)"
[ -n "$keys" ] || missing+=("the keys of config/zivrat.ini")
for key in $keys; do
  grep -Eq "^\.B(R)? $key( |,|\.|$)" "$zivrat_page" || missing+=("zivrat.1: $key")
done

options="$("$front" --help | grep -o -- '--[a-z]*' | sort -u)"
[ -n "$options" ] || missing+=("the options of zivrat-front --help")
for option in $options; do
  grep -Fq -- "${option//-/\\-}" "$front_page" || missing+=("zivrat-front.1: $option")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "missing from the manual pages:" >&2
  printf '  %s\n' "${missing[@]}" >&2
  exit 1
fi

if command -v man >/dev/null; then
  for page in "$zivrat_page" "$front_page"; do
    warnings="$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)"
    [ -z "$warnings" ] || { echo "man warns about $page: $warnings" >&2; exit 1; }
  done
else
  echo "man is missing: the pages were checked for their entries only"
fi
echo "manual test passed"
