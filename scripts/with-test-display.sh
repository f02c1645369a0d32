#!/usr/bin/env bash
# Runs a command with a virtual X server (Xvfb) and a fresh Wine prefix in a
# temporary folder, then stops the X server, the Wine server and the processes
# they started, and removes the prefix.
#   scripts/with-test-display.sh COMMAND [ARGS...]
# SORVANE_SCREEN (default 1024x768x24) sets the virtual screen.
set -euo pipefail

SCREEN=${SORVANE_SCREEN:-1024x768x24}
WORK=$(mktemp -d /tmp/sorvane-display.XXXXXX)
export WINEPREFIX="$WORK/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

# Xvfb picks a free display number itself and tells it through a pipe.
exec {FD}<> <(:)
Xvfb -displayfd "$FD" -screen 0 "$SCREEN" -nolisten tcp +extension GLX +extension RANDR \
  >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
read -r -t 30 -u "$FD" DISPLAY_NUMBER
exec {FD}<&-
export DISPLAY=":$DISPLAY_NUMBER"

source "$(dirname "$0")/wine-server.sh"

cleanup() {
  local status=$?
  if [ -d "$WINEPREFIX" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  # The prefixes at other display scalings (scripts/wine-dpi.sh), if any.
  for prefix in "$WINEPREFIX"-dpi*; do
    if [ -d "$prefix" ]; then WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true; fi
  done
  kill "$XVFB_PID" >/dev/null 2>&1 || true
  wait "$XVFB_PID" 2>/dev/null || true
  rm -rf "$WORK"
  exit $status
}
trap cleanup EXIT INT TERM

for _ in $(seq 1 100); do
  if xdpyinfo >/dev/null 2>&1; then break; fi
  sleep 0.1
done

if [ "${SORVANE_NO_WINE:-0}" != 1 ]; then
  wineboot -i </dev/null >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  # Keep the Wine server up between test programs: each start is then quick,
  # and no program has to start a server of its own, which Wine's loader
  # answers, when the start fails, by ending the program without a word.
  # "wineserver -p" only makes a server persistent when it is the one that
  # starts it: while another is still there (one that a late helper of
  # wineboot kept up), wait for that one to end and try again.
  export SORVANE_TEST_PREFIX="$WINEPREFIX"
  for _ in 1 2 3 4 5; do
    wineserver -p >/dev/null 2>&1 || true
    if wine_server_persistent; then break; fi
    timeout 60 wineserver -w >/dev/null 2>&1 || true
  done
  wine_server_persistent || echo "with-test-display.sh: no persistent Wine server for $WINEPREFIX" >&2
fi

"$@"
