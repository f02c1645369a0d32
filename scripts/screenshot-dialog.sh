#!/usr/bin/env bash
# Makes docs/settings-dialog.png: the settings dialog of a built Sorvane.scr,
# opened with "/c" under Wine (Japanese locale, IPA fonts) on a virtual
# screen, with a folder of a built-in photograph as the chosen picture and a
# change interval of 5 minutes.
#   scripts/screenshot-dialog.sh [BUILD_DIR] [OUTPUT_PNG] [DPI]
# BUILD_DIR defaults to build/windows (it must hold bin/Sorvane.scr). DPI
# (default 96) is the display scaling: 144 is 150 %, and then the picture
# goes to docs/settings-dialog-150.png unless OUTPUT_PNG says otherwise.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build/windows}" && pwd)
DPI=${3:-96}
case "$DPI" in ''|*[!0-9]*) echo "screenshot-dialog.sh: DPI must be a number" >&2; exit 2 ;; esac
if [ -n "${2:-}" ]; then
  OUT=$2
elif [ "$DPI" = 96 ]; then
  OUT=$ROOT/docs/settings-dialog.png
else
  OUT=$ROOT/docs/settings-dialog-$((DPI * 100 / 96)).png
fi
case "$OUT" in /*) ;; *) OUT="$PWD/$OUT" ;; esac

if [ -z "${SORVANE_SCREENSHOT_INSIDE:-}" ]; then
  exec env SORVANE_SCREENSHOT_INSIDE=1 "$ROOT/scripts/with-test-display.sh" "$0" "$BUILD" "$OUT" "$DPI"
fi

WORK=$(mktemp -d /tmp/sorvane-shot.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
cp "$BUILD/bin/Sorvane.scr" "$WORK/"
# Two files of the same photograph, so the sample is that one whichever the
# dialog picks.
mkdir -p "$WORK/photos/2026"
cp "$ROOT/resources/photo1.jpg" "$WORK/photos/sea.jpg"
cp "$ROOT/resources/photo1.jpg" "$WORK/photos/2026/sea.jpg"
# The settings file names the folder by its Wine path (Z: is the root).
WINPATH="Z:$(echo "$WORK/photos" | tr / '\\')"
{
  printf '[Section]\r\n'
  printf '\x89\xE6\x91\x9C\xCC\xA7\xB2\xD9=%s\r\n' "$WINPATH"
  printf '\x93\xAF\x8E\x9E\x95\x5C\x8E\xA6\x90\x94= 30\r\n'
  printf '\x89\xE6\x91\x9C\x82\xCC\x91\xE5\x82\xAB\x82\xB3= 12\r\n'
  printf '\x89\xE6\x91\x9C\x82\xCC\x90\xD8\x91\xD6\x8A\xD4\x8A\x75= 5\r\n'
} >"$WORK/Sorvane.ini"

# Without a window manager on the virtual screen, Wine draws the frame and
# the title bar itself when its windows are unmanaged.
# At another scaling the dialog runs in a Wine prefix of that DPI.
if [ "$DPI" = 96 ]; then
  RUN=("$ROOT/scripts/wine-run.sh")
else
  RUN=("$ROOT/scripts/wine-dpi.sh" "$DPI")
fi
"${RUN[@]}" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true

# The mouse rests away from the dialog so no button is highlighted.
xdotool mousemove 5 5
"${RUN[@]}" "$WORK/Sorvane.scr" /c &
RUNNER=$!

TITLE="Sorvaneの設定"
WINDOW=""
for _ in $(seq 1 200); do
  WINDOW=$(xdotool search --name "^${TITLE}\$" 2>/dev/null | head -n 1 || true)
  [ -n "$WINDOW" ] && break
  sleep 0.1
done
if [ -z "$WINDOW" ]; then
  echo "the settings dialog did not show" >&2
  exit 1
fi
sleep 2
eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
mkdir -p "$(dirname "$OUT")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$OUT"
echo "wrote $OUT (${WIDTH}x${HEIGHT})"

# The virtual display's clean-up ends Wine and with it the dialog.
disown "$RUNNER" 2>/dev/null || true
