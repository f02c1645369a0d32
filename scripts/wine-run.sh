#!/usr/bin/env bash
# Runs a Windows program under Wine, the way the Windows tests need it:
# 64-bit Wine, no debug chatter, no Mono or Gecko prompts, and the ANSI code
# page 932 (Japanese). Uses the Wine prefix and X display of the caller
# (scripts/with-test-display.sh sets them up); without them it makes its own
# for this one run.
#
# A program that Wine could not start is never a silent failure: this script
# says what happened (the exit status or signal, how long it took, whether
# the prefix's Wine server was there before and after). Wine's loader ends a
# program at once and without a word when it has to start a Wine server and
# that start fails, so the prefixes of scripts/with-test-display.sh (and its
# copies at other scalings) get their persistent server back before each
# program if it has gone. Killed with TERM, INT or HUP, the script ends the
# Wine process it started, which would otherwise live on in the prefix.
#   scripts/wine-run.sh PROGRAM [ARGS...]
# SORVANE_WINE_LOG: a file that gets one line per program run (status, time,
# server before and after), for tracking down harness trouble.
set -uo pipefail

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  exec "$(dirname "$0")/with-test-display.sh" "$0" "$@"
fi
[ $# -gt 0 ] || { echo "usage: wine-run.sh PROGRAM [ARGS...]" >&2; exit 2; }

WINE=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
PROGRAM=$1

say() { echo "wine-run.sh: $*" >&2; }

# A path of this system (not a Windows name such as Z:\... or a builtin such
# as "reg") must name a file that is there.
case "$PROGRAM" in
  */*)
    if [ ! -f "$PROGRAM" ]; then say "cannot start $PROGRAM: there is no such file"; exit 127; fi
    if [ ! -r "$PROGRAM" ]; then say "cannot start $PROGRAM: the file cannot be read"; exit 126; fi
    ;;
esac

source "$(dirname "$0")/wine-server.sh"

# The prefixes whose server stays between programs: the test display's and
# its copies at other scalings (with-test-display.sh stops those servers).
persistent_prefix() {
  local base=${SORVANE_TEST_PREFIX:-}
  [ -n "$base" ] && { [ "$WINEPREFIX" = "$base" ] || [ "${WINEPREFIX#"$base"-dpi}" != "$WINEPREFIX" ]; }
}

before=$(wine_server_pid)
if [ -z "$before" ] && persistent_prefix && [ -d "$WINEPREFIX" ]; then
  # Its server went away: a persistent one again, so the program does not
  # have to start a server (the one Wine starts by itself ends with its last
  # program, and a failed start ends the program without a word).
  say "the Wine server of $WINEPREFIX has gone; starting it again"
  wineserver -p >/dev/null 2>&1 || true
  before=$(wine_server_pid)
fi

# Wine's helper processes (services, device drivers) outlive the program and
# inherit its output; through a file they cannot keep a caller's pipe open.
OUT=$(mktemp /tmp/sorvane-wine-out.XXXXXX) || { say "cannot make a file for the output of $PROGRAM"; exit 1; }
child=
stop() {
  [ -n "$child" ] && kill -TERM "$child" 2>/dev/null
  cat "$OUT" 2>/dev/null
  rm -f "$OUT"
  say "$PROGRAM was stopped (signal $1)"
  exit $((128 + $2))
}
trap 'stop TERM 15' TERM
trap 'stop INT 2' INT
trap 'stop HUP 1' HUP

run_once() {
  local t0 t1
  t0=$(date +%s%N)
  "$WINE" "$@" </dev/null >"$OUT" 2>&1 &
  child=$!
  wait "$child"
  status=$?
  child=
  t1=$(date +%s%N)
  elapsed=$(awk -v n=$((t1 - t0)) 'BEGIN{printf "%.2f", n / 1e9}')
  after=$(wine_server_pid)
}

status=0
run_once "$@"
cat "$OUT"

# A failure without a word: a status and nothing written. A test program
# writes before anything else, and Wine reports a program's crash in words;
# nothing at all mostly means that Wine never ran the program (its loader
# ends a program so when the Wine server is missing and cannot be started).
explain() {
  local how="with status $status" server
  if [ "$status" -gt 128 ]; then how="by signal $(kill -l $((status - 128)) 2>/dev/null || echo $((status - 128)))"; fi
  if [ -n "$before" ]; then server="was running (pid $before)"; else server="was not running"; fi
  if [ "$after" != "$before" ]; then server="$server and ${after:+is pid $after now}${after:-has gone since}"; fi
  say "$PROGRAM did not run: Wine ended it $how after $elapsed s without any output; the Wine server of $WINEPREFIX $server"
}

if [ "$status" -ne 0 ] && [ ! -s "$OUT" ]; then explain; fi
if [ -n "${SORVANE_WINE_LOG:-}" ]; then
  echo "$(date +%T.%N) status $status ${elapsed}s server ${before:-none}->${after:-none} $PROGRAM" >>"$SORVANE_WINE_LOG"
fi
rm -f "$OUT"
exit "$status"
