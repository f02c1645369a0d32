#!/usr/bin/env bash
# Makes the screenshots in docs/: the show and the preview of each program
# (docs/show-windows.png, docs/preview-windows.png, docs/show-linux.png,
# docs/preview-linux.png), on a virtual X server. Needs both builds
# (build/linux and build/windows, as scripts/test-all.sh makes them).
# docs/show-two-monitors.png comes from the two-monitor end-to-end scenario:
#   SORVANE_TWO_MONITOR_SHOT=$PWD/docs/show-two-monitors.png scripts/with-test-display.sh \
#     ctest --test-dir build/linux -R e2e_linux_two_monitors
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
if [ -z "${SORVANE_SHOTS_INNER:-}" ]; then
  export SORVANE_SHOTS_INNER=1 SORVANE_SCREEN=${SORVANE_SCREEN:-1024x768x24}
  exec scripts/with-test-display.sh "$ROOT/scripts/screenshots.sh" "$@"
fi
WORK=$(mktemp -d /tmp/sorvane-shots.XXXXXX)
trap 'touch "$WORK/stop"; sleep 0.5; rm -rf "$WORK"' EXIT
mkdir -p docs "$WORK/prog"
cp build/linux/bin/sorvane build/windows/bin/Sorvane.scr "$WORK/prog/"

# The show, some seconds in; a key ends it.
show_shot() {  # out command...
  local out=$1; shift
  "$@" >/dev/null 2>&1 &
  local pid=$!
  sleep 9
  import -window root -display "$DISPLAY" "$out"
  xdotool key space
  for _ in $(seq 1 60); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
}
show_shot docs/show-linux.png "$WORK/prog/sorvane"
show_shot docs/show-windows.png scripts/wine-run.sh "$WORK/prog/Sorvane.scr" /s

# The Linux preview inside a host window of 200 x 180 (black beyond the picture).
rm -f "$WORK/stop" "$WORK/host.id"
build/linux/bin/e2e_host_window_x11 200 180 "$WORK/host.id" "$WORK/stop" &
for _ in $(seq 1 50); do [ -s "$WORK/host.id" ] && break; sleep 0.1; done
"$WORK/prog/sorvane" -p "$(cat "$WORK/host.id")" &
sleep 1.5
import -window root -display "$DISPLAY" -crop 200x180+40+30 +repage docs/preview-linux.png
touch "$WORK/stop"
sleep 2.5

# The Windows preview, painted by the program into a window of its own
# (Wine does not show another process's child window in its parent).
rm -f "$WORK/stop" "$WORK/host.id"
echo "Windows preview: drawn by show_window_win32_tests into docs/preview-windows.png"
SORVANE_PREVIEW_SHOT="Z:$(echo "$ROOT/docs/preview-windows.bmp" | tr / '\\')" \
  scripts/wine-run.sh build/windows/bin/show_window_win32_tests.exe --gtest_filter='PreviewWindow.Draws*' >/dev/null
convert docs/preview-windows.bmp docs/preview-windows.png && rm -f docs/preview-windows.bmp
ls -l docs/*.png
