#!/usr/bin/env bash
# Regenerates the pictures in resources/ from tools/resgen (fixed seeds: the
# same bytes on every run).
#   scripts/make-resources.sh           rewrite resources/
#   scripts/make-resources.sh --check   verify resources/ and that they match
#                                       a fresh generation; non-zero on failure
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/resgen"
mode="${1:-}"
case "$mode" in
  ""|--check) ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

log="$(mktemp)"
tmp=""
cleanup() { rm -f "$log"; [ -n "$tmp" ] && rm -rf "$tmp"; return 0; }
trap cleanup EXIT

if ! { cmake -S "$root/tools/resgen" -B "$build" -DCMAKE_BUILD_TYPE=Release &&
       cmake --build "$build" -j2; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "make-resources: building the generator failed" >&2
  exit 1
fi

if [ "$mode" != "--check" ]; then
  mkdir -p "$root/resources"
  "$build/resgen" "$root/resources"
  exit 0
fi

status=0
"$build/resgen_check" "$root/resources" || status=1

# The committed files must be exactly what the generator makes now.
tmp="$(mktemp -d)"
"$build/resgen" "$tmp" >/dev/null
for f in "$tmp"/*; do
  name="$(basename "$f")"
  if ! cmp -s "$f" "$root/resources/$name"; then
    echo "FAIL: resources/$name differs from the generator's output (run $0)" >&2
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "resources: match a fresh generation"
exit "$status"
