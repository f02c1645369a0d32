#!/usr/bin/env bash
# Runs a Windows program under Wine, the way the Windows tests need it:
# 64-bit Wine, no debug chatter, no Mono or Gecko prompts, and the ANSI code
# page 932 (Japanese). Uses the Wine prefix and X display of the caller
# (scripts/with-test-display.sh sets them up); without them it makes its own
# for this one run.
set -euo pipefail

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  exec "$(dirname "$0")/with-test-display.sh" "$0" "$@"
fi

WINE=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
# Wine's helper processes (services, device drivers) outlive the program and
# inherit its output; through a file they cannot keep a caller's pipe open.
OUT=$(mktemp /tmp/sorvane-wine-out.XXXXXX)
status=0
"$WINE" "$@" </dev/null >"$OUT" 2>&1 || status=$?
cat "$OUT"
rm -f "$OUT"
exit $status
