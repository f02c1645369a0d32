#!/usr/bin/env bash
# Benchmark of the show (figures, not a pass/fail test), on a virtual X server
# at 1920x1080 with Mesa's software renderer and the frame pacing off:
#   - time from process start to the first presented frame: the show with a
#     built-in photograph, with a 24-megapixel JPEG, and the bare program that
#     only makes the same window and context and clears and swaps (the floor);
#   - frames per second and CPU time per frame of the show and of the bare loop.
# Builds what it needs in build/linux.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
if [ -z "${SORVANE_BENCH_INNER:-}" ]; then
  cmake -S . -B build/linux -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build/linux -j2 --target sorvane_bench bare_show_x11 >/dev/null
  export SORVANE_BENCH_INNER=1 SORVANE_SCREEN=1920x1080x24 SORVANE_NO_WINE=1
  exec scripts/with-test-display.sh "$ROOT/scripts/bench-show.sh" "$@"
fi

export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe SORVANE_NO_PACING=1
WORK=$(mktemp -d /tmp/sorvane-bench.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
cp build/linux/bin/sorvane_bench build/linux/bin/bare_show_x11 "$WORK/"
convert -size 6000x4000 plasma:fractal -quality 90 "$WORK/big.jpg"
RUNS=${RUNS:-5}
FRAMES=${FRAMES:-300}

# Milliseconds from start to the first presented frame, one run.
first_frame_ms() {
  local t0 line
  t0=$(date +%s%N)
  line=$(SORVANE_BENCH_FIRST_FRAME=1 SORVANE_BENCH_FRAMES=2 "$@" 2>/dev/null | grep first-frame-realtime-ns)
  echo $(( (${line##* } - t0) / 1000 ))
}
median_ms() {  # label command...
  local label=$1; shift
  local values=()
  for _ in $(seq 1 "$RUNS"); do values+=("$(first_frame_ms "$@")"); sleep 0.3; done
  printf '%s\n' "${values[@]}" | sort -n | awk -v l="$label" '{a[NR]=$1} END{printf "%-38s median %7.1f ms  (min %.1f, max %.1f, %d runs)\n", l, a[int((NR+1)/2)]/1000, a[1]/1000, a[NR]/1000, NR}'
}

echo "Screen $(xdpyinfo | awk '/dimensions:/{print $2}'), renderer: $(glxinfo -B 2>/dev/null | awk -F': ' '/OpenGL renderer/{print $2}' || echo unknown)"
echo "Time from process start to the first presented frame:"
median_ms "bare window + context (floor)" "$WORK/bare_show_x11"
median_ms "show, built-in photograph" "$WORK/sorvane_bench" --image ""
median_ms "show, 24-megapixel JPEG (6000x4000)" "$WORK/sorvane_bench" --image "$WORK/big.jpg"
echo "Frame loop, $FRAMES frames, pacing off:"
echo "  bare loop: $(SORVANE_BENCH_FRAMES=$FRAMES "$WORK/bare_show_x11" | grep '^frames')"
echo "  show:      $(SORVANE_BENCH_FRAMES=$FRAMES "$WORK/sorvane_bench" --image "" | grep '^frames')"
