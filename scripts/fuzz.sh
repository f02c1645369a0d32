#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/*_fuzzer.cpp) with clang, AddressSanitizer
# and UndefinedBehaviorSanitizer into build/fuzz, and runs each for a bounded
# time (FUZZ_SECONDS, default 30) from the seeds in fuzz/corpus. Exits
# non-zero when a target crashes, leaks, hangs or fails to build.
#   scripts/fuzz.sh [target...]     targets: bmp jpeg (default both)
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT="$ROOT/build/fuzz"
SECONDS_EACH=${FUZZ_SECONDS:-30}
CXX=${FUZZ_CXX:-clang++}
mkdir -p "$OUT"

FLAGS=(-std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
       -I"$ROOT/show" -I"$ROOT/startup")
COMMON=("$ROOT/show/picture_sampling.cpp" "$ROOT/show/byte_source.cpp" "$ROOT/startup/paths.cpp"
        "$ROOT/startup/paths_posix.cpp" "$ROOT/startup/numeric.cpp")
declare -A SOURCES=(
  [bmp]="$ROOT/fuzz/bmp_fuzzer.cpp $ROOT/show/bmp_reader.cpp $ROOT/show/photo_fit.cpp"
  [jpeg]="$ROOT/fuzz/jpeg_fuzzer.cpp $ROOT/show/jpeg_header.cpp $ROOT/show/jpeg_decoder_libjpeg.cpp $ROOT/show/picture_file.cpp $ROOT/show/bmp_reader.cpp"
)

targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(bmp jpeg)

status=0
for t in "${targets[@]}"; do
  echo "=== $t: build"
  # shellcheck disable=SC2086
  "$CXX" "${FLAGS[@]}" ${SOURCES[$t]} "${COMMON[@]}" -ljpeg -o "$OUT/${t}_fuzzer"
  # Work in a copy, so the committed seeds stay as they are.
  work="$OUT/corpus-$t"
  mkdir -p "$work"
  cp -n "$ROOT/fuzz/corpus/$t/"* "$work/" 2>/dev/null || true
  echo "=== $t: run ${SECONDS_EACH}s"
  if ! (cd "$OUT" && "./${t}_fuzzer" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=1024 \
          -max_len=65536 -print_final_stats=1 "$work" >"$OUT/$t.log" 2>&1); then
    echo "=== $t: FAILED (see $OUT/$t.log)"
    tail -40 "$OUT/$t.log"
    status=1
  else
    grep -E "stat::number_of_executed_units|Done [0-9]+ runs" "$OUT/$t.log" | tail -2 || true
    echo "=== $t: ok"
  fi
done
exit $status
