#!/usr/bin/env bash
# Benchmark of a folder of photographs (figures, not a pass/fail test), on a
# virtual X server at 1920x1080 with Mesa's software renderer:
#   - the time from process start to the first presented frame with one
#     photograph beside a folder of 100,000 photographs in 1,000 nested
#     folders: the first start of that folder (a way down through random
#     entries) and the starts after it (the photograph the last show picked
#     for them);
#   - the frame intervals of the paced show with one photograph (steady)
#     beside the same show of the folder turning over all the time (a new
#     12-megapixel photograph every 2 seconds, each decoded while the squares
#     move), with their p99.
# The photographs are hard links of four copies of one JPEG (file systems
# limit the links of one file), so that the tree costs little.
# Builds sorvane_bench in build/linux. RUNS (default 5) first-frame runs each,
# SECONDS_EACH (default 30) seconds of frames each.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
if [ -z "${SORVANE_BENCH_INNER:-}" ]; then
  cmake -S . -B build/linux -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build/linux -j2 --target sorvane_bench >/dev/null
  export SORVANE_BENCH_INNER=1 SORVANE_SCREEN=1920x1080x24
  exec scripts/with-test-display.sh "$ROOT/scripts/bench-folder.sh" "$@"
fi

export LIBGL_ALWAYS_SOFTWARE=1 GALLIUM_DRIVER=llvmpipe
WORK=$(mktemp -d /tmp/sorvane-bench-folder.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
RUNS=${RUNS:-5}
SECONDS_EACH=${SECONDS_EACH:-30}
BENCH="$WORK/sorvane_bench"
cp build/linux/bin/sorvane_bench "$BENCH"
export XDG_CACHE_HOME="$WORK/cache"
mkdir -p "$XDG_CACHE_HOME"

convert -size 4000x3000 plasma:fractal -quality 90 "$WORK/one.jpg"
for k in 0 1 2 3; do
  cp "$WORK/one.jpg" "$WORK/copy$k.jpg"
  mkdir -p "$WORK/day$k"
  for i in $(seq -w 0 99); do ln "$WORK/copy$k.jpg" "$WORK/day$k/IMG_$i.jpg"; done
done
for year in $(seq 2015 2024); do
  for trip in $(seq -w 1 10); do
    mkdir -p "$WORK/photos/$year/$trip trip"
    for day in $(seq -w 1 10); do cp -al "$WORK/day$((10#$day % 4))" "$WORK/photos/$year/$trip trip/day $day"; done
  done
done
echo "Folder: $(find "$WORK/photos" -type f | wc -l) photographs (4000x3000 JPEG) in $(find "$WORK/photos" -mindepth 1 -type d | wc -l) folders"

# Milliseconds from start to the first presented frame, one run.
first_frame_ms() {
  local t0 line
  t0=$(date +%s%N)
  line=$(SORVANE_NO_PACING=1 SORVANE_BENCH_FIRST_FRAME=1 SORVANE_BENCH_FRAMES=2 "$BENCH" "$@" 2>/dev/null |
         grep first-frame-realtime-ns)
  echo $(( (${line##* } - t0) / 1000 ))
}
median() {  # label, then microsecond values
  local label=$1; shift
  printf '%s\n' "$@" | sort -n | awk -v l="$label" '{a[NR]=$1} END{m=a[int((NR+1)/2)]/1000; printf "  %-44s median %7.1f ms  (min %.1f, max %.1f, %d runs)\n", l, m, a[1]/1000, a[NR]/1000, NR; print m > "/dev/stderr"}'
}

echo "Time from process start to the first presented frame:"
one=() cold=() warm=()
for _ in $(seq 1 "$RUNS"); do
  one+=("$(first_frame_ms --image "$WORK/one.jpg")"); sleep 0.3
  rm -f "$XDG_CACHE_HOME/sorvane/next-photograph"
  cold+=("$(first_frame_ms --image "$WORK/photos")"); sleep 0.5
  warm+=("$(first_frame_ms --image "$WORK/photos")"); sleep 0.5
done
median "one photograph" "${one[@]}" 2>/dev/null
median "folder, its first start (a way down)" "${cold[@]}" 2>/dev/null
median "folder, later starts (picked by the last show)" "${warm[@]}" 2>/dev/null
m_one=$(median x "${one[@]}" 2>&1 >/dev/null)
m_cold=$(median x "${cold[@]}" 2>&1 >/dev/null)
m_warm=$(median x "${warm[@]}" 2>&1 >/dev/null)
awk -v a="$m_one" -v c="$m_cold" -v w="$m_warm" 'BEGIN{printf "  ratio to one photograph: first start %.2f, later starts %.2f\n", c / a, w / a}'

echo "Paced frames, ${SECONDS_EACH} s each:"
echo "  steady, one photograph:      $(SORVANE_BENCH_SECONDS=$SECONDS_EACH "$BENCH" --image "$WORK/one.jpg" | grep '^frames')"
echo "  folder, turning over always: $(SORVANE_BENCH_SECONDS=$SECONDS_EACH "$BENCH" --image "$WORK/photos" --change-every 2 | grep '^frames')"
