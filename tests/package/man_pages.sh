#!/usr/bin/env bash
# Renders every manual page of the build, as installed (compressed), for a terminal with all of
# groff's warnings enabled; any warning or error fails the test.
#   man_pages.sh MAN_DIR
set -euo pipefail
command -v groff >/dev/null || { echo "groff is not installed (groff-base)"; exit 77; }

pages=("$1"/*.1.gz)
[ -f "${pages[0]}" ] || { echo "no manual pages in $1" >&2; exit 1; }
failures=0
for page in "${pages[@]}"; do
  name=$(basename "$page" .1.gz)
  # groff names its input "<standard input>"; the page's name replaces it.
  warnings=$(gzip -dc "$page" | LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z 2>&1 | sed "s|<standard input>|$name.1|") ||
    warnings="$warnings (groff failed)"
  text=$(gzip -dc "$page" | LC_ALL=C.UTF-8 groff -man -Tutf8 -P-cbou 2>/dev/null)
  if [ -n "$warnings" ]; then
    echo "FAIL $name.1:" >&2
    echo "$warnings" >&2
    failures=$((failures + 1))
  elif ! grep -q "^NAME" <<<"$text" || ! grep -qE "^ +$name +- " <<<"$text"; then
    echo "FAIL $name.1: the rendering has no NAME section for $name" >&2
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ] || exit 1
echo "${#pages[@]} manual pages render without warnings"
