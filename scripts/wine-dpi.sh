#!/usr/bin/env bash
# Runs a Windows program under Wine at another display scaling: in a copy of
# the caller's Wine prefix (scripts/with-test-display.sh sets one up) whose
# LogPixels is DPI. The copy is made once per DPI and kept beside the caller's
# prefix, so later programs at that DPI start at once; it goes with the
# virtual display. SORVANE_TEST_DPI tells the program which DPI it should see.
#   scripts/wine-dpi.sh DPI PROGRAM [ARGS...]
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
DPI=${1:?usage: wine-dpi.sh DPI PROGRAM [ARGS...]}
shift
case "$DPI" in ''|*[!0-9]*) echo "wine-dpi.sh: DPI must be a number" >&2; exit 2 ;; esac

if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  exec "$ROOT/scripts/with-test-display.sh" "$0" "$DPI" "$@"
fi

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
BASE=$WINEPREFIX
PREFIX="$BASE-dpi$DPI"
{
  flock 9
  if [ ! -f "$PREFIX/.sorvane-dpi" ]; then
    rm -rf "$PREFIX"
    # A copy of hard links is made at once (a new prefix takes half a
    # minute); Wine only adds and replaces files, except for the registry,
    # which is copied for real so the base keeps its DPI.
    cp -al "$BASE" "$PREFIX"
    for reg in "$PREFIX"/*.reg; do cp --remove-destination "$BASE/$(basename "$reg")" "$reg"; done
    rm -f "$PREFIX/.update-timestamp.lock"
    WINE=$(command -v wine64 || command -v wine)
    hex=$(printf '0x%x' "$DPI")
    WINEPREFIX="$PREFIX" "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$hex" /f \
      </dev/null >/dev/null 2>&1
    WINEPREFIX="$PREFIX" "$WINE" reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
      /v LogPixels /t REG_DWORD /d "$hex" /f </dev/null >/dev/null 2>&1
    # The Wine server reads the DPI when it starts: restart it.
    WINEPREFIX="$PREFIX" wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$PREFIX" wineserver -w >/dev/null 2>&1 || true
    touch "$PREFIX/.sorvane-dpi"
  fi
} 9>"$PREFIX.lock"

export WINEPREFIX="$PREFIX"
export SORVANE_TEST_DPI="$DPI"
# A persistent server, as for the caller's prefix: each program starts quickly.
wineserver -p >/dev/null 2>&1 || true
exec "$ROOT/scripts/wine-run.sh" "$@"
