#!/usr/bin/env bash
# End-to-end cases of Sorvane.scr under Wine, black box, on the X display and
# Wine prefix that scripts/with-test-display.sh provides: the session ending
# during a show and during a preview (wineboot --end-session), the settings
# file reaching the show (a one-colour photograph named by a long Japanese
# path, and the picture size), a display without OpenGL, the settings
# dialog worked from the real keyboard, and scripts/wine-run.sh itself (no
# failure in silence, no program left behind, the server brought back).
#   tests/e2e/windows_cases.sh CASE
# Environment (set by tests/e2e/CMakeLists.txt): SORVANE_WINDOWS (the built
# Sorvane.scr), HOST_WIN32 (the host window helper), SORVANE_SOURCE (the
# source tree). Exit status 0 passed, 1 failed, 77 skipped.
set -uo pipefail

CASE=${1:?case}
WORK=$(mktemp -d /tmp/sorvane-wincases.XXXXXX)
PIDS=()
EXTRA_X=
EXTRA_PREFIX=

cleanup() {
  touch "$WORK/stop" 2>/dev/null
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null; done
  sleep 0.2
  for p in "${PIDS[@]}"; do kill -9 "$p" 2>/dev/null; done
  [ -n "$EXTRA_PREFIX" ] && WINEPREFIX="$EXTRA_PREFIX" wineserver -k >/dev/null 2>&1
  [ -n "$EXTRA_X" ] && kill "$EXTRA_X" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "FAIL [$CASE]: $*"; [ -s "$WORK/out.txt" ] && sed 's/^/  out: /' "$WORK/out.txt"; exit 1; }
skip() { echo "SKIP [$CASE]: $*"; exit 77; }
note() { echo "[$CASE] $*"; }
source "$(dirname "$0")/wait_helpers.sh"

[ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 || skip "no X display (run under scripts/with-test-display.sh)"
[ -f "${SORVANE_WINDOWS:-}" ] || skip "Sorvane.scr not built (${SORVANE_WINDOWS:-}); scripts/test-all.sh builds it"
[ -n "${WINEPREFIX:-}" ] || skip "no Wine prefix (run under scripts/with-test-display.sh)"
mkdir -p "$WORK/prog"
cp "$SORVANE_WINDOWS" "$WORK/prog/Sorvane.scr"
BITMAP="$WORK/prog/Sorvane.bmp"
INI="$WORK/prog/Sorvane.ini"

# A Unix path as Wine names it (drive Z:).
winpath() { echo "Z:$1" | tr / '\\'; }

start_show() {  # args...; sets PID. scripts/wine-run.sh passes Wine's exit code on.
  (cd "$WORK/prog" && exec "$SORVANE_SOURCE/scripts/wine-run.sh" ./Sorvane.scr "$@") >"$WORK/out.txt" 2>&1 &
  PID=$!
  PIDS+=("$PID")
}

# The host helper: a plain Windows window standing in for the settings page.
host_window() {  # width height; sets HOST_PID HOST_ID
  [ -f "${HOST_WIN32:-}" ] || skip "Windows host helper not built (${HOST_WIN32:-})"
  rm -f "$WORK/host.id" "$WORK/stop"
  (cd "$WORK" && exec "$SORVANE_SOURCE/scripts/wine-run.sh" "$HOST_WIN32" "$1" "$2" "$(winpath "$WORK/host.id")" \
    "$(winpath "$WORK/stop")") >/dev/null 2>&1 &
  HOST_PID=$!
  PIDS+=("$HOST_PID")
  wait_file "$WORK/host.id" 20 || fail "the host window helper did not start"
  HOST_ID=$(tr -d '\r\n' <"$WORK/host.id")
}

# Ends the Wine session: every top-level window is asked WM_QUERYENDSESSION,
# then told WM_ENDSESSION; a process still there afterwards is terminated.
end_session() {
  local t0 t1
  t0=$(date +%s%N)
  timeout 60 wineboot --end-session </dev/null >/dev/null 2>&1
  local status=$?
  t1=$(date +%s%N)
  note "wineboot --end-session returned $status after $(( (t1 - t0) / 1000000 )) ms"
  [ "$status" = 0 ] || fail "the session's end was refused or timed out (wineboot status $status)"
}

# Sorvane.ini in the ANSI code page (932), as the settings dialog writes it.
write_ini() {  # picture-path size
  printf '[Section]\r\n画像ﾌｧｲﾙ=%s\r\n同時表示数=30\r\n画像の大きさ=%s\r\n' "$1" "$2" | iconv -f UTF-8 -t CP932 >"$INI" \
    || fail "cannot write Sorvane.ini in code page 932"
}

# Screenshot of the running show after it has settled; prints
# "<max green> <max blue> <lit fraction> <bounding box>" of the screen.
show_figures() {  # label
  local id
  id=$(wait_window Sorvane_Main 30) || { echo "$1: no window titled Sorvane_Main"; return 1; }
  sleep 3
  import -window root -display "$DISPLAY" "$WORK/$1.png" 2>/dev/null || { echo "$1: no screenshot"; return 1; }
  local gb lit box
  gb=$(convert "$WORK/$1.png" -format '%[fx:round(maxima.g*255)] %[fx:round(maxima.b*255)]' info:)
  # Pixels whose red is above 8 % count as lit by the swarm.
  lit=$(convert "$WORK/$1.png" -channel R -separate +channel -threshold 8% -format '%[fx:mean]' info:)
  box=$(convert "$WORK/$1.png" -channel R -separate +channel -threshold 8% -format '%@' info:)
  echo "$gb $lit $box"
}

end_show() {  # label
  xdotool key space
  wait_end "$PID" 10 || fail "$1: the show did not end on a key"
  [ ! -e "$BITMAP" ] || fail "$1: the temporary bitmap is left behind"
}

case "$CASE" in
  end_session_show)
    start_show /s
    wait_window Sorvane_Main 30 >/dev/null || fail "no window titled Sorvane_Main"
    wait_file "$BITMAP" 10 || fail "no temporary bitmap while the show runs"
    sleep 1
    end_session
    wait_end "$PID" 5 || fail "the show outlived the session's end"
    [ ! -e "$BITMAP" ] || fail "the session ended and the temporary bitmap is left behind"
    wait "$PID"; code=$?
    note "the show ended with code $code"
    # A process the session's end had to terminate ends with code 0 as well;
    # only the bitmap's absence tells that the show unloaded itself.
    [ "$code" = 0 ] || fail "the show ended with code $code"
    ;;

  end_session_preview)
    host_window 200 150
    start_show /p "$HOST_ID"
    sleep 4
    kill -0 "$PID" 2>/dev/null || fail "the preview ended on its own"
    end_session
    wait_end "$PID" 3 || fail "the preview outlived the session's end"
    wait "$PID"; code=$?
    note "the preview ended with code $code"
    [ "$code" = 0 ] || fail "the preview ended with code $code"
    [ ! -e "$BITMAP" ] || fail "the preview wrote a temporary bitmap"
    ;;

  settings_reach_show)
    # A pure red photograph: the squares tint it and add it up over black,
    # so no pixel of the show may have any green or blue. The first run finds
    # it through a path longer than 255 bytes with Japanese folder names.
    long="$WORK/写真"
    for i in 1 2 3 4 5 6 7 8; do long="$long/とても長いフォルダの名前その$i"; done
    mkdir -p "$long" "$WORK/photos"
    convert -size 96x64 xc:'#FF0000' BMP3:"$long/赤.bmp" || fail "cannot make the red photograph"
    cp "$long/赤.bmp" "$WORK/photos/red.bmp"
    longwin=$(winpath "$long/赤.bmp")
    bytes=$(printf '%s' "$longwin" | iconv -f UTF-8 -t CP932 | wc -c)
    note "the long path is $bytes bytes in code page 932"
    [ "$bytes" -gt 255 ] || fail "the long path is only $bytes bytes"

    write_ini "$longwin" 1
    start_show /s
    figures=$(show_figures size1) || fail "$figures"
    read -r g1 b1 lit1 box1 <<<"$figures"
    note "size 1: max green $g1, max blue $b1, lit $lit1, extent $box1"
    end_show size1

    write_ini "$(winpath "$WORK/photos/red.bmp")" 20
    start_show /s
    figures=$(show_figures size20) || fail "$figures"
    read -r g20 b20 lit20 box20 <<<"$figures"
    note "size 20: max green $g20, max blue $b20, lit $lit20, extent $box20"
    end_show size20

    [ "$g1" = 0 ] && [ "$b1" = 0 ] || fail "size 1 (long path): green $g1 / blue $b1 on screen: not the red photograph"
    [ "$g20" = 0 ] && [ "$b20" = 0 ] || fail "size 20: green $g20 / blue $b20 on screen: not the red photograph"
    awk -v a="$lit1" 'BEGIN{exit !(a > 0.001)}' || fail "size 1: nothing drawn ($lit1)"
    awk -v a="$lit1" -v b="$lit20" 'BEGIN{exit !(b >= 3 * a)}' \
      || fail "the picture size does not reach the show: lit $lit1 at size 1, $lit20 at size 20"
    ;;

  no_opengl)
    # A second virtual screen without GLX: no OpenGL pixel format exists.
    exec {FD}<> <(:)
    Xvfb -displayfd "$FD" -screen 0 800x600x24 -nolisten tcp -extension GLX >"$WORK/xvfb.log" 2>&1 &
    EXTRA_X=$!
    read -r -t 30 -u "$FD" number || fail "the second X server did not start"
    exec {FD}<&-
    # A Wine prefix keeps one desktop on one X display: the second screen gets
    # a prefix of its own, linked from the shared one (only the registry files,
    # which Wine rewrites, are copied).
    EXTRA_PREFIX="$WORK/prefix"
    cp -al "$WINEPREFIX" "$EXTRA_PREFIX" || fail "cannot link a second Wine prefix"
    for f in system.reg user.reg userdef.reg; do cp --remove-destination "$WINEPREFIX/$f" "$EXTRA_PREFIX/$f"; done
    # A bitmap left over from an earlier run: the start replaces it with its
    # own, so its absence afterwards also shows that the start got that far.
    echo "left over" >"$BITMAP"
    DISPLAY=":$number" WINEPREFIX="$EXTRA_PREFIX" start_show /s
    wait_end "$PID" 30 || fail "a show without OpenGL did not end (a message box?)"
    wait "$PID"; code=$?
    note "the show without OpenGL ended with code $code"
    [ "$code" = 0 ] || fail "the show without OpenGL ended with code $code"
    [ ! -e "$BITMAP" ] || fail "a failed start left the temporary bitmap behind"
    left=$(DISPLAY=":$number" xdotool search --name . 2>/dev/null | while read -r w; do
      DISPLAY=":$number" xdotool getwindowname "$w" 2>/dev/null; done | grep -c Sorvane)
    [ "$left" = 0 ] || fail "a window of the show is left on the screen"
    ;;

  dialog_keys)
    # Keys typed on the display, as a user types them: Esc is ｷｬﾝｾﾙ (nothing
    # written), Enter in the path box is 設定, and Tab three times from the
    # path box reaches 設定, which Space presses.
    for keys in "Escape" "Return" "Tab Tab Tab space"; do
      rm -f "$INI"
      start_show /c
      wait_window 'Sorvaneの設定' 30 >/dev/null || fail "$keys: no settings dialog"
      sleep 1
      xdotool key --delay 200 $keys
      wait_end "$PID" 10 || fail "$keys: the dialog did not close"
      if [ "$keys" = Escape ]; then
        [ ! -e "$INI" ] || fail "Esc wrote the settings"
      else
        [ -f "$INI" ] || fail "$keys did not save the settings"
        iconv -f CP932 -t UTF-8 "$INI" | grep -q '^同時表示数= 30' || fail "$keys saved $(iconv -f CP932 -t UTF-8 "$INI")"
      fi
      note "$keys: done"
    done
    ;;

  wine_run)
    run="$SORVANE_SOURCE/scripts/wine-run.sh"
    [ -f "${HOST_WIN32:-}" ] || skip "Windows host helper not built (${HOST_WIN32:-})"
    helper() {  # starts the quiet host helper under wine-run.sh; sets PID and WINE_PID
      rm -f "$WORK/host.id" "$WORK/stop"
      "$run" "$HOST_WIN32" 50 50 "$(winpath "$WORK/host.id")" "$(winpath "$WORK/stop")" >"$WORK/out.txt" 2>&1 &
      PID=$!
      PIDS+=("$PID")
      wait_file "$WORK/host.id" 30 || fail "the host helper did not start"
      WINE_PID=$(pgrep -P "$PID" | head -1)
      [ -n "$WINE_PID" ] || fail "no Wine process under wine-run.sh"
    }
    # A program that is not there.
    out=$("$run" "$WORK/missing.exe" 2>&1); code=$?
    [ "$code" = 127 ] && grep -q "no such file" <<<"$out" || fail "a missing program: status $code, output '$out'"
    # A program that Wine ends before it has written anything is said so.
    helper
    kill -KILL "$WINE_PID"
    wait "$PID"; code=$?
    grep -q "did not run: Wine ended it by signal KILL after .* without any output" "$WORK/out.txt" \
      || fail "a program killed in silence: status $code, output '$(cat "$WORK/out.txt")'"
    [ "$code" != 0 ] || fail "a program killed in silence passed"
    # Stopped with TERM (as the end-to-end scripts stop what they started),
    # the script takes its program with it.
    helper
    kill -TERM "$PID"
    wait_end "$PID" 5 || fail "wine-run.sh did not stop on TERM"
    wait_end "$WINE_PID" 10 || fail "the program outlived wine-run.sh"
    # The test display's Wine server gone: the next program gets a persistent
    # one again instead of having to start its own.
    [ -n "${SORVANE_TEST_PREFIX:-}" ] || skip "not run under scripts/with-test-display.sh"
    wineserver -k; wineserver -w
    out=$(cd "$WORK/prog" && "$run" ./Sorvane.scr /a 2>&1); code=$?
    [ "$code" = 0 ] || fail "a program after the server had gone: status $code, output '$out'"
    grep -q "has gone; starting it again" <<<"$out" || fail "the server was not brought back: '$out'"
    source "$SORVANE_SOURCE/scripts/wine-server.sh"
    wine_server_persistent || fail "no Wine server for $WINEPREFIX stays between programs"
    ;;

  *) fail "unknown case" ;;
esac
note "passed"
exit 0
