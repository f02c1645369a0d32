#!/usr/bin/env bash
# End-to-end cases of the Linux program under faults, black box, on the X
# display that scripts/with-test-display.sh provides: a FIFO where a file is
# expected, the X server going away, end signals, a locale with a decimal
# comma, no place for the temporary bitmap, two shows started at once,
# large or unusable photographs, WebP and HEIC photographs, and a folder.
#   tests/e2e/linux_faults.sh CASE
# Environment (set by tests/e2e/CMakeLists.txt): SORVANE_LINUX (the program),
# MAKE_PHOTO (the JPEG helper), HOST_X11 (the host window helper). Exit status 0 passed, 1 failed, 77 skipped.
set -uo pipefail

CASE=${1:?case}
WORK=$(mktemp -d /tmp/sorvane-faults.XXXXXX)
PIDS=()
MOUNTS=()
BITMAP_SIZE=786486

cleanup() {
  for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null; done
  sleep 0.2
  for p in "${PIDS[@]}"; do kill -9 "$p" 2>/dev/null; done
  for m in "${MOUNTS[@]}"; do umount "$m" 2>/dev/null; done
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "FAIL [$CASE]: $*"; [ -f "$WORK/out.txt" ] && sed 's/^/  out: /' "$WORK/out.txt"; exit 1; }
skip() { echo "SKIP [$CASE]: $*"; exit 77; }
note() { echo "[$CASE] $*"; }
source "$(dirname "$0")/wait_helpers.sh"

[ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 || skip "no X display (run under scripts/with-test-display.sh)"
[ -x "${SORVANE_LINUX:-}" ] || fail "Linux program missing: ${SORVANE_LINUX:-}"
mkdir -p "$WORK/prog" "$WORK/tmp"
cp "$SORVANE_LINUX" "$WORK/prog/sorvane"
PROG="$WORK/prog/sorvane"
BITMAP="$WORK/prog/Sorvane.bmp"
export TMPDIR="$WORK/tmp"

# Waits up to $2 seconds for a file matching the pattern $1; prints its name.
wait_glob() {
  local f
  for _ in $(seq 1 $(($2 * 10))); do
    for f in $1; do [ -s "$f" ] && { echo "$f"; return 0; }; done
    sleep 0.1
  done
  return 1
}
start() {  # args...; sets PID; output in $WORK/out.txt
  "$PROG" "$@" >"$WORK/out.txt" 2>&1 &
  PID=$!
  PIDS+=("$PID")
}
# Ends the show in its own window with a key; fails when it does not end.
end_with_key() {
  xdotool key space
  wait_end "$PID" 5 || fail "the show did not end on a key"
}
tmp_empty() { [ -z "$(find "$TMPDIR" -mindepth 1 2>/dev/null)" ]; }
# Colour of pixel ($2, $3) of picture $1 as "R,G,B".
pixel() { convert "$1" -format '%[fx:int(255*p{'"$2,$3"'}.r)],%[fx:int(255*p{'"$2,$3"'}.g)],%[fx:int(255*p{'"$2,$3"'}.b)]' info:; }
near() {  # "R,G,B" "R,G,B": every channel within 24
  awk -F, -v a="$1" -v b="$2" 'BEGIN{split(a,x,","); split(b,y,","); for(i=1;i<=3;i++){d=x[i]-y[i]; if(d<0)d=-d; if(d>24) exit 1} exit 0}'
}
# Waits up to $1 seconds until the show draws on the screen of display $2
# (default $DISPLAY): more than 16 colours on its root window. The temporary
# bitmap cannot tell: it is gone as soon as the texture holds the picture.
wait_drawing() {
  local display=${2:-$DISPLAY} n
  for _ in $(seq 1 "$1"); do
    n=$(import -display "$display" -window root "$WORK/screen.png" 2>/dev/null && convert "$WORK/screen.png" -format %k info:)
    [ "${n:-0}" -gt 16 ] && return 0
    sleep 0.5
  done
  return 1
}
# Share of the screen's pixels that are red alone (no green, no blue).
red_share() {
  import -window root "$WORK/screen.png" 2>/dev/null || return 1
  convert "$WORK/screen.png" -format %c histogram:info: |
    sed -n 's/^ *\([0-9]*\): *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3 \4/p' |
    awk '{ t += $1; if ($2 > 8 && $3 <= 3 && $4 <= 3) r += $1 } END { printf "%.4f\n", t ? r / t : 0 }'
}

# A private X server for the cases that kill it; sets XPID and XDISPLAY.
own_x_server() {
  exec {FD}<> <(:)
  Xvfb -displayfd "$FD" -screen 0 640x480x24 -nolisten tcp +extension GLX >"$WORK/xvfb.log" 2>&1 &
  XPID=$!
  PIDS+=("$XPID")
  local n
  read -r -t 30 -u "$FD" n || fail "the private X server did not start"
  exec {FD}<&-
  XDISPLAY=":$n"
  for _ in $(seq 1 50); do DISPLAY=$XDISPLAY xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  fail "the private X server does not answer"
}

case "$CASE" in
  fifo)
    # A FIFO as the photograph: the show starts with a built-in photograph
    # and says why, instead of hanging in open().
    mkfifo "$WORK/photo.jpg"
    start -s --image "$WORK/photo.jpg"
    wait_window Sorvane_Main 10 >/dev/null || fail "no show window with a FIFO as the photograph (hung?)"
    grep -q "cannot show $WORK/photo.jpg: it is not a plain file" "$WORK/out.txt" || fail "no line naming the FIFO and the reason"
    wait_drawing 10 || fail "the show with a FIFO as the photograph draws nothing"
    end_with_key
    # A FIFO as the settings file: -c answers at once, the show runs on the defaults.
    mkfifo "$WORK/prog/Sorvane.ini"
    timeout 5 "$PROG" -c >"$WORK/c.txt" 2>&1
    status=$?
    [ "$status" != 124 ] || fail "sorvane -c hangs on a FIFO named Sorvane.ini"
    [ "$status" = 0 ] || fail "sorvane -c ended with status $status"
    grep -q "Sorvane.ini" "$WORK/c.txt" || fail "sorvane -c did not say where the settings live"
    start -s
    wait_window Sorvane_Main 10 >/dev/null || fail "no show window with a FIFO as the settings file"
    end_with_key
    [ -p "$WORK/prog/Sorvane.ini" ] || fail "the FIFO was replaced"
    ;;

  x_server_killed)
    # --root: the private bitmap folder goes when the X server does.
    own_x_server
    DISPLAY=$XDISPLAY "$PROG" --root >"$WORK/out.txt" 2>&1 &
    PID=$!; PIDS+=("$PID")
    wait_drawing 15 "$XDISPLAY" || fail "the show with --root draws nothing"
    sleep 1
    kill -KILL "$XPID"
    wait_end "$PID" 5 || fail "the show did not end when the X server was killed"
    tmp_empty || fail "left behind after the X server went away: $(find "$TMPDIR" -mindepth 1)"
    # The show's own window: the bitmap beside the program goes too.
    own_x_server
    DISPLAY=$XDISPLAY "$PROG" -s >"$WORK/out.txt" 2>&1 &
    PID=$!; PIDS+=("$PID")
    wait_drawing 15 "$XDISPLAY" || fail "the show in its own window draws nothing"
    sleep 1
    kill -KILL "$XPID"
    wait_end "$PID" 5 || fail "the show in its own window did not end when the X server was killed"
    [ ! -e "$BITMAP" ] || fail "the bitmap beside the program is left behind"
    ;;

  end_signals)
    # Each end signal cleans up, then ends the process by that same signal.
    for sig in HUP QUIT TERM INT; do
      start --root
      wait_drawing 15 || fail "SIG$sig: the show draws nothing"
      sleep 0.5
      kill -s "$sig" "$PID"
      wait_end "$PID" 3 || fail "SIG$sig did not end the show"
      wait "$PID" 2>/dev/null
      status=$?
      want=$((128 + $(kill -l "$sig")))
      [ "$status" = "$want" ] || fail "SIG$sig: ended with status $status, not by the signal ($want)"
      tmp_empty || fail "SIG$sig: left behind: $(find "$TMPDIR" -mindepth 1)"
      note "SIG$sig: cleaned up, ended by the signal"
    done
    start -s
    wait_drawing 15 || fail "the show in its own window draws nothing"
    kill -HUP "$PID"
    wait_end "$PID" 3 || fail "SIGHUP did not end the show in its own window"
    [ ! -e "$BITMAP" ] || fail "SIGHUP left the bitmap beside the program"
    ;;

  locale_numbers)
    # A decimal comma locale: numbers are still written with a dot.
    locale -a | grep -qi '^de_DE\.utf-\?8$' || fail "de_DE.UTF-8 is not generated (scripts/install-deps.sh does that)"
    export LC_ALL=de_DE.UTF-8
    start -s --size 12.5
    wait_window Sorvane_Main 10 >/dev/null || fail "--size 12.5 was refused under de_DE.UTF-8"
    end_with_key
    "$PROG" -s --size 12,5 >"$WORK/out.txt" 2>&1
    [ $? = 2 ] || fail "--size 12,5 was taken as a number"
    # The settings file's numbers under this locale: tests/startup (settings_file_test).
    ;;

  no_bitmap_place)
    # No place for the temporary bitmap: TMPDIR names a missing folder, or
    # (as root) the program folder and TMPDIR are full tmpfs. The show draws
    # all the same, the square going to the texture from memory, says so in
    # one line and stays up, in XScreenSaver's window (--root with
    # XSCREENSAVER_WINDOW) as in its own (-s).
    [ -x "${HOST_X11:-}" ] || fail "host window helper missing: ${HOST_X11:-}"
    "$HOST_X11" 320 240 "$WORK/host.id" "$WORK/stop" &
    PIDS+=("$!")
    wait_file "$WORK/host.id" 10 || fail "the host window helper did not start"
    HOST_ID=$(cat "$WORK/host.id")
    conditions=("$WORK/no-such-tmp --root No such file or directory")
    if [ "$(id -u)" = 0 ]; then
      mkdir -p "$WORK/full-prog" "$WORK/full-tmp"
      mount -t tmpfs -o size=32m tmpfs "$WORK/full-prog" || fail "cannot mount a tmpfs"
      MOUNTS+=("$WORK/full-prog")
      mount -t tmpfs -o size=64k tmpfs "$WORK/full-tmp" || fail "cannot mount a tmpfs"
      MOUNTS+=("$WORK/full-tmp")
      cp "$SORVANE_LINUX" "$WORK/full-prog/sorvane" || fail "the program does not fit the small file system"
      dd if=/dev/zero of="$WORK/full-prog/filler" bs=64k 2>/dev/null
      dd if=/dev/zero of="$WORK/full-tmp/filler" bs=4k 2>/dev/null
      PROG="$WORK/full-prog/sorvane"
      conditions+=("$WORK/full-tmp --root No space left on device" "$WORK/full-tmp -s No space left on device")
    else
      note "the full tmpfs needs root to mount (CI runs as root); only the missing TMPDIR is tried"
    fi
    for c in "${conditions[@]}"; do
      read -r tmp mode why <<<"$c"
      window=$HOST_ID; [ "$mode" = -s ] && window=  # -s: not into a window
      LC_ALL=C.UTF-8 TMPDIR=$tmp XSCREENSAVER_WINDOW=$window start "$mode"
      wait_drawing 15 || fail "$mode, TMPDIR $tmp: the show draws nothing"
      sleep 2
      kill -0 "$PID" 2>/dev/null || fail "$mode, TMPDIR $tmp: the show ended"
      [ "$(grep -c 'no temporary bitmap could be written' "$WORK/out.txt")" = 1 ] || fail "$mode: not one line about the bitmap"
      grep -q ": $why); .*straight from memory" "$WORK/out.txt" || fail "$mode: the line does not give \"$why\" and the way out"
      note "$mode, TMPDIR $tmp: $(head -1 "$WORK/out.txt")"
      if [ "$mode" = -s ]; then end_with_key; else kill -TERM "$PID"; wait_end "$PID" 5 || fail "--root did not end on SIGTERM"; fi
    done
    [ -z "$(find "$WORK"/*tmp* -mindepth 1 -name 'sorvane-*' 2>/dev/null)" ] || fail "an empty private folder is left behind"
    ;;

  two_at_once)
    # Two shows started at the same moment: exactly one runs, every time,
    # whatever each calls the display (the screen does not matter) and
    # whether XDG_RUNTIME_DIR can hold the lock or not.
    n=${DISPLAY#*:}; n=${n%%.*}
    mkdir -m 0700 "$WORK/runtime"; : >"$WORK/a-file"; mkdir -m 0777 "$WORK/open"
    rounds=(":$n :$n.0 $WORK/runtime" ":$n :$n.0 $WORK/missing" ":$n.0 unix:$n $WORK/a-file"
            "unix:$n.0 :$n $WORK/open")
    if [ "$(id -u)" = 0 ]; then
      mkdir -m 0700 "$WORK/others"; chown nobody "$WORK/others" || fail "cannot give a folder to nobody"
      rounds+=(":$n :$n.0 $WORK/others")  # another user's folder, as after su
    fi
    for round in "${rounds[@]}"; do
      read -r one two runtime <<<"$round"
      XDG_RUNTIME_DIR=$runtime DISPLAY=$one "$PROG" -s >"$WORK/a.txt" 2>&1 & a=$!
      XDG_RUNTIME_DIR=$runtime DISPLAY=$two "$PROG" -s >"$WORK/b.txt" 2>&1 & b=$!
      PIDS+=("$a" "$b")
      wait_window Sorvane_Main 10 >/dev/null || fail "$round: no show"
      sleep 1.5
      alive=0
      for p in $a $b; do kill -0 "$p" 2>/dev/null && alive=$((alive + 1)); done
      windows=$(xdotool search --name '^Sorvane_Main$' 2>/dev/null | wc -l)
      [ "$alive" = 1 ] || fail "$round: $alive shows running"
      [ "$windows" = 1 ] || fail "$round: $windows show windows"
      xdotool key space
      wait_end "$a" 5 && wait_end "$b" 5 || fail "$round: the show did not end on a key"
    done
    note "${#rounds[@]} rounds, one show each"
    ;;

  large_photo)
    # A 48-megapixel progressive 4:4:4 photograph is shown, not replaced.
    [ -x "${MAKE_PHOTO:-}" ] || fail "photo helper missing: ${MAKE_PHOTO:-}"
    "$MAKE_PHOTO" 8000 6000 "$WORK/large.jpg" || fail "cannot make the photograph"
    start -s --image "$WORK/large.jpg"
    wait_window Sorvane_Main 40 >/dev/null || fail "no show window"
    wait_drawing 10 || fail "the show draws nothing"
    if grep -q "cannot show" "$WORK/out.txt"; then fail "the photograph was refused"; fi
    # Its red quarter, tinted, stays red alone on the screen; the built-in
    # photographs give next to no such pixels.
    share=$(red_share) || fail "no screenshot"
    note "red alone on $share of the screen"
    awk -v s="$share" 'BEGIN { exit !(s > 0.005) }' || fail "the show does not draw the photograph"
    end_with_key
    # A header claiming 40000 x 40000 progressive: refused for its size, said
    # on standard error, and the show runs with a built-in photograph.
    "$MAKE_PHOTO" 64 64 "$WORK/claim.jpg" 40000 40000 || fail "cannot make the claiming photograph"
    start -s --image "$WORK/claim.jpg"
    wait_window Sorvane_Main 10 >/dev/null || fail "no show window with a photograph too large"
    grep -q "cannot show $WORK/claim.jpg: the picture is too large" "$WORK/out.txt" || fail "no line saying the photograph is too large"
    end_with_key
    ;;

  webp_photo | heif_photo | folder_photo)
    # A solid red photograph, lossy WebP or HEIC, named without an extension
    # (the format is told by the content), or a PNG in a subfolder of a
    # folder beside a text file: its red fills the squares on the screen; the
    # built-in photographs give next to no such pixels.
    convert -size 640x480 xc:'#ff0000' -quality 95 "$WORK/red.png" || fail "cannot make the photograph"
    if [ "$CASE" = folder_photo ]; then
      mkdir -p "$WORK/photo/trip" "$WORK/cache"
      mv "$WORK/red.png" "$WORK/photo/trip/red.png"
      echo "not a photograph" >"$WORK/photo/notes.txt"
      export XDG_CACHE_HOME="$WORK/cache"  # the history of photographs shown
    elif [ "$CASE" = webp_photo ]; then
      command -v cwebp >/dev/null || fail "cwebp is missing (scripts/install-deps.sh installs webp)"
      cwebp -quiet -q 90 "$WORK/red.png" -o "$WORK/photo" || fail "cannot make the WebP photograph"
    else
      command -v heif-enc >/dev/null || fail "heif-enc is missing (scripts/install-deps.sh installs libheif-examples)"
      # heif-enc reads JPEG input reliably (some PNGs trip its encoder).
      convert "$WORK/red.png" -quality 95 "$WORK/red.jpg" &&
        heif-enc -q 90 -o "$WORK/photo" "$WORK/red.jpg" >/dev/null || fail "cannot make the HEIC photograph"
    fi
    start -s --image "$WORK/photo"
    wait_window Sorvane_Main 10 >/dev/null || fail "no show window"
    wait_drawing 10 || fail "the show draws nothing"
    if grep -q "cannot show" "$WORK/out.txt"; then fail "the photograph was refused: $(cat "$WORK/out.txt")"; fi
    share=$(red_share) || fail "no screenshot"
    note "red alone on $share of the screen"
    awk -v s="$share" 'BEGIN { exit !(s > 0.005) }' || fail "the show does not draw the photograph"
    end_with_key
    ;;

  bad_photo)
    # Photographs that cannot be used: one line naming the file and the reason each.
    mkdir "$WORK/folder.jpg"
    echo "not a picture" >"$WORK/text.jpg"
    head -c 300 "$SORVANE_SOURCE/resources/photo0.jpg" >"$WORK/cut.jpg"
    for c in "missing.jpg:there is no such file" "folder.jpg:the folder holds no photographs" \
             "text.jpg:it is not a BMP, JPEG, PNG, GIF, TIFF, WebP, HEIF or AVIF picture" "cut.jpg:the picture is damaged"; do
      file=${c%%:*}; why=${c#*:}
      start -s --image "$WORK/$file"
      wait_window Sorvane_Main 10 >/dev/null || fail "$file: no show window"
      [ "$(grep -c 'cannot show' "$WORK/out.txt")" = 1 ] || fail "$file: not one line"
      grep -q "cannot show $WORK/$file: $why" "$WORK/out.txt" || fail "$file: the line does not say \"$why\""
      end_with_key
    done
    ;;

  *) fail "unknown case" ;;
esac
note "passed"
exit 0
