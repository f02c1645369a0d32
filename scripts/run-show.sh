#!/usr/bin/env bash
# Runs the show: installs what is missing, builds the Linux program
# (build/linux) and starts it on your X display. Without a working display it
# runs the show for a few seconds on a virtual X server instead, saves a
# screenshot and says where. Extra arguments go to the program
# (for example --image photo.jpg --size 16).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"

if [ -z "${SORVANE_RUN_INNER:-}" ]; then
  scripts/install-deps.sh
  cmake -S . -B build/linux -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build/linux -j2 --target sorvane
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "Running the show on $DISPLAY: any key or mouse button ends it."
    exec build/linux/bin/sorvane "$@"
  fi
  echo "No X display: running the show on a virtual X server for a few seconds."
  export SORVANE_RUN_INNER=1 SORVANE_NO_WINE=1
  exec scripts/with-test-display.sh "$ROOT/scripts/run-show.sh" "$@"
fi

# On the virtual X server: a few seconds of show, one screenshot, then a key.
SHOT="$ROOT/build/run-show.png"
build/linux/bin/sorvane "$@" &
PID=$!
sleep "${SECONDS_TO_RUN:-5}"
import -window root -display "$DISPLAY" "$SHOT"
xdotool key space
for _ in $(seq 1 40); do kill -0 "$PID" 2>/dev/null || break; sleep 0.1; done
kill "$PID" 2>/dev/null || true
wait "$PID" 2>/dev/null || true
echo "Screenshot of the show: $SHOT"
