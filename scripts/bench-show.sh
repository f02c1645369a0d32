#!/usr/bin/env bash
# Benchmark of the show (figures, not a pass/fail test), in one run on a
# virtual X server at 1920x1080 with Mesa's software renderer:
#   - the show running normally (paced, as shipped) beside XScreenSaver's
#     glslideshow and photopile, one after the other for the same time: the
#     CPU each uses (share of one core, from /proc), and the show's steps per
#     second, frames per second and the spread of its frame intervals; under
#     Wine also the Windows show's CPU with the display on, on battery and off;
#   - time from process start to the first presented frame: the show with a
#     built-in photograph, with a 24-megapixel JPEG, and the bare program that
#     only makes the same window and context and clears and swaps (the floor);
#   - frames per second and CPU time per frame of the show and of the bare
#     loop with the pacing off.
# sorvane_bench (and Sorvane_bench.exe, run under Wine where the Windows build
# exists) is the show built with a frame observer; `sorvane` and Sorvane.scr
# measure nothing. Builds what it needs in build/linux and build/windows.
# SECONDS_EACH (default 20) sets how long each program of the CPU part runs.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
if [ -z "${SORVANE_BENCH_INNER:-}" ]; then
  cmake -S . -B build/linux -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build/linux -j2 --target sorvane sorvane_bench bare_show_x11 >/dev/null
  # The Windows frame loop under Wine, where the Windows build exists.
  if [ -f build/windows/build.ninja ]; then cmake --build build/windows -j2 --target Sorvane_bench >/dev/null; fi
  [ -f build/windows/bin/Sorvane_bench.exe ] || export SORVANE_NO_WINE=1
  export SORVANE_BENCH_INNER=1 SORVANE_SCREEN=1920x1080x24
  exec scripts/with-test-display.sh "$ROOT/scripts/bench-show.sh" "$@"
fi

export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe
WORK=$(mktemp -d /tmp/sorvane-bench.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
cp build/linux/bin/sorvane build/linux/bin/sorvane_bench build/linux/bin/bare_show_x11 "$WORK/"
convert -size 6000x4000 plasma:fractal -quality 90 "$WORK/big.jpg"
RUNS=${RUNS:-5}
FRAMES=${FRAMES:-300}
SECONDS_EACH=${SECONDS_EACH:-20}
HACKS=/usr/libexec/xscreensaver

echo "Screen $(xdpyinfo | awk '/dimensions:/{print $2}'), renderer: $(glxinfo -B 2>/dev/null | awk -F': ' '/OpenGL renderer/{print $2}' || echo unknown)"

# The peers take their photographs from an image folder named in a throwaway
# ~/.xscreensaver (no desktop grabs): the same 512x512 size as the show's.
mkdir -p "$WORK/home/photos"
for i in 1 2 3; do convert -size 512x512 plasma:fractal "$WORK/home/photos/p$i.jpg"; done
printf 'imageDirectory:\t%s\ngrabDesktopImages:\tFalse\nchooseRandomImages:\tTrue\n' "$WORK/home/photos" \
  >"$WORK/home/.xscreensaver"

# CPU of process $1 over SECONDS_EACH seconds after a 3-second start, as a
# share of one core (user + system time of all its threads).
cpu_share() {
  local pid=$1 t0 t1 c0 c1
  sleep 3
  c0=$(awk '{print $14 + $15}' "/proc/$pid/stat"); t0=$(date +%s%N)
  sleep "$SECONDS_EACH"
  c1=$(awk '{print $14 + $15}' "/proc/$pid/stat"); t1=$(date +%s%N)
  awk -v c="$((c1 - c0))" -v hz="$(getconf CLK_TCK)" -v t="$((t1 - t0))" 'BEGIN{printf "%.2f", c / hz / (t / 1e9)}'
}
run_beside() {  # label command...: CPU share of the command over SECONDS_EACH
  local label=$1; shift
  HOME="$WORK/home" "$@" >/dev/null 2>&1 &
  local pid=$!
  printf '  %-36s %s of one core\n' "$label" "$(cpu_share "$pid")"
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
  sleep 1
}
echo "Running normally, ${SECONDS_EACH} s each, one after the other (CPU of the whole process):"
if [ -x "$HACKS/glslideshow" ]; then run_beside "glslideshow -root" "$HACKS/glslideshow" -root; fi
if [ -x "$HACKS/photopile" ]; then run_beside "photopile -root" "$HACKS/photopile" -root; fi
run_beside "sorvane -s (as shipped)" "$WORK/sorvane" -s --image ""
echo "  the show's motion and frames, the same run as shipped (sorvane_bench):"
echo "    $(SORVANE_BENCH_SECONDS=$SECONDS_EACH "$WORK/sorvane_bench" --image "" | grep '^frames')"

if [ -f build/windows/bin/Sorvane_bench.exe ] && [ "${SORVANE_NO_WINE:-0}" != 1 ]; then
  mkdir -p "$WORK/win"
  cp build/windows/bin/Sorvane_bench.exe "$WORK/win/"
  echo "  the Windows frame loop under Wine, paced (Sorvane_bench.exe):"
  echo "    $(cd "$WORK/win" && SORVANE_BENCH_SECONDS=$SECONDS_EACH "$ROOT/scripts/wine-run.sh" ./Sorvane_bench.exe | grep '^frames')"
  echo "  the Windows show with the display on, on battery and off, told so through its power notifications:"
  (cd "$WORK/win" && "$ROOT/scripts/wine-run.sh" ./Sorvane_bench.exe --power "$SECONDS_EACH") | sed 's/^/    /'
  echo "  the Windows frame loop's waits alone (60 frames a second, 4 ms of work each):"
  (cd "$WORK/win" && "$ROOT/scripts/wine-run.sh" ./Sorvane_bench.exe --timer) | sed 's/^/    /'
fi

export SORVANE_NO_PACING=1

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

echo "Time from process start to the first presented frame:"
median_ms "bare window + context (floor)" "$WORK/bare_show_x11"
median_ms "show, built-in photograph" "$WORK/sorvane_bench" --image ""
median_ms "show, 24-megapixel JPEG (6000x4000)" "$WORK/sorvane_bench" --image "$WORK/big.jpg"
echo "Frame loop, $FRAMES frames, pacing off:"
echo "  bare loop: $(SORVANE_BENCH_FRAMES=$FRAMES "$WORK/bare_show_x11" | grep '^frames')"
echo "  show:      $(SORVANE_BENCH_FRAMES=$FRAMES "$WORK/sorvane_bench" --image "" | grep '^frames')"
