#!/usr/bin/env bash
# End-to-end cases of `sorvane` as an XScreenSaver module, under the real
# XScreenSaver daemon and its settings window on a virtual X server of their
# own. The daemon refuses to run as root, so the cases run it as an
# unprivileged user (made once, "sorvane-e2e") with a throwaway home; the
# user may draw on the test display through xhost. The program's settings
# file for XScreenSaver's settings window is shown to it in a private mount
# namespace, so nothing on the machine changes.
#   tests/e2e/xscreensaver_daemon.sh CASE
# Cases: cycles, fps, common_options, two_copies, fresh_account, settings_window,
# random_png.
# Environment (tests/e2e/CMakeLists.txt): SORVANE_LINUX, MAKE_PHOTO,
# SORVANE_SOURCE. Needs root (CI runs as root). Exit 0 passed, 1 failed,
# 77 skipped.
set -uo pipefail

CASE=${1:?case}
TEST_USER=sorvane-e2e

fail() { echo "FAIL [$CASE]: $*"; [ -f "${WORK:-/nonexistent}/daemon.log" ] && grep -v "^xscreensaver-gfx: [0-9:]*:   |pref changed" "$WORK/daemon.log" | tail -n 30 | sed 's/^/  daemon: /'; exit 1; }
skip() { echo "SKIP [$CASE]: $*"; exit 77; }
note() { echo "[$CASE] $*"; }

[ "$(id -u)" = 0 ] || skip "needs root to make the unprivileged test user and a private mount namespace"
[ -x "${SORVANE_LINUX:-}" ] || fail "Linux program missing: ${SORVANE_LINUX:-}"
command -v xscreensaver >/dev/null || fail "xscreensaver is not installed (scripts/install-deps.sh installs it)"

# A private mount namespace for the whole case: the settings window's file
# is mounted into XScreenSaver's folder for this process tree only.
if [ -z "${SORVANE_E2E_NAMESPACE:-}" ]; then
  SORVANE_E2E_NAMESPACE=1 exec unshare --mount --propagation private "$0" "$@"
fi

# One case at a time on this machine (test runs of several checkouts may
# overlap): every process of the test user then belongs to this case.
exec {LOCK}>/tmp/sorvane-e2e-user.lock
flock -w 600 "$LOCK" || fail "another run holds the test user for ten minutes"
if ! id -u "$TEST_USER" >/dev/null 2>&1; then
  useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$TEST_USER" ||
    fail "cannot make the test user"
fi

WORK=$(mktemp -d /tmp/sorvane-xss.XXXXXX)
chmod 755 "$WORK"
mkdir -p "$WORK/home" "$WORK/tmp" "$WORK/bin" "$WORK/photos"
chown "$TEST_USER" "$WORK/home" "$WORK/tmp"
cp "$SORVANE_LINUX" "$WORK/bin/sorvane"
XPID=""
DPID=""

# Whatever the test user runs was started by this case (see the lock).
kill_test_user() { for p in $(pgrep -u "$TEST_USER"); do kill -KILL "$p" 2>/dev/null; done; }

cleanup() {
  [ -n "$DPID" ] && as_user xscreensaver-command -exit >/dev/null 2>&1
  sleep 0.3
  kill_test_user
  [ -n "$XPID" ] && kill "$XPID" 2>/dev/null
  mountpoint -q /usr/share/xscreensaver/config && umount /usr/share/xscreensaver/config
  rm -rf "$WORK"
}
trap cleanup EXIT

# Runs a command as the test user, in the environment the daemon gets from a
# login: its home, the display, a PATH that holds the program, a private TMPDIR.
as_user() {
  runuser -u "$TEST_USER" -- env -i HOME="$WORK/home" DISPLAY="$DISPLAY" PATH="$WORK/bin:/usr/bin:/bin" \
    TMPDIR="$WORK/tmp" LANG=C.UTF-8 "$@"
}

# A virtual X server with $1 screens of $2 pixels.
start_x() {
  local screens=$1 size=$2 args=() n
  for ((i = 0; i < screens; i++)); do args+=(-screen "$i" "${size}x24"); done
  exec {FD}<> <(:)
  Xvfb -displayfd "$FD" "${args[@]}" -nolisten tcp +extension GLX +extension RANDR >"$WORK/xvfb.log" 2>&1 &
  XPID=$!
  read -r -t 30 -u "$FD" n || fail "the X server did not start"
  exec {FD}<&-
  export DISPLAY=":$n"
  xhost "+si:localuser:$TEST_USER" >/dev/null || fail "xhost refused the test user"
}

# The user's ~/.xscreensaver: the programs list holds Sorvane's command line
# $1 as the README says to add it (first, and selected), a peer after it.
write_settings() {
  {
    printf 'timeout:\t0:30:00\ncycle:\t0:00:00\nlock:\tFalse\nmode:\tone\nselected:\t0\n'
    printf 'splash:\tFalse\nfade:\tFalse\nunfade:\tFalse\ndpmsEnabled:\tFalse\n'
    printf 'grabDesktopImages:\tFalse\ngrabVideoFrames:\tFalse\nchooseRandomImages:\tTrue\n'
    printf 'imageDirectory:\t%s\n' "$WORK/photos"
    printf 'programs:\t\t\\\n  GL:   %s\t\t\\n\\\n  GL:\t\tglslideshow --root\t\t\\n\\\n\n' "$1"
  } >"$WORK/home/.xscreensaver"
  chown "$TEST_USER" "$WORK/home/.xscreensaver"
}

# Starts the daemon and waits until it answers. A daemon that hangs before
# it answers (seen once on a loaded machine, stuck right after "running in
# process") is not Sorvane's fault: it is stopped and started once more.
start_daemon() {
  local try
  for try in 1 2; do
    as_user xscreensaver -no-splash -verbose >"$WORK/daemon.log" 2>&1 &
    DPID=$!
    for _ in $(seq 1 150); do
      as_user xscreensaver-command -version >/dev/null 2>&1 && return 0
      sleep 0.1
    done
    [ "$try" = 2 ] && break
    note "the daemon did not answer in 15 s; its log: $(tr '\n' ' ' <"$WORK/daemon.log" | tail -c 300); started again"
    kill_test_user
    wait "$DPID" 2>/dev/null
    sleep 0.5
  done
  echo "processes of the test user:"; ps -o pid,stat,wchan:20,args -u "$TEST_USER" 2>/dev/null | sed 's/^/  /'
  fail "the daemon did not start"
}

sorvane_pids() { pgrep -u "$TEST_USER" -x sorvane | sort; }

# Activates the daemon and waits for $1 copies of sorvane; sets PIDS.
activate() {
  local want=${1:-1}
  as_user xscreensaver-command -activate >/dev/null 2>&1 || fail "xscreensaver-command -activate failed"
  for _ in $(seq 1 150); do
    PIDS=$(sorvane_pids | tr '\n' ' ')
    [ "$(echo $PIDS | wc -w)" -ge "$want" ] && return 0
    sleep 0.1
  done
  fail "the daemon did not start $want sorvane ($(sorvane_pids | wc -l) running)"
}

# Waits up to $1 seconds until no sorvane of the test user runs.
wait_no_sorvane() {
  for _ in $(seq 1 $(($1 * 10))); do
    [ -z "$(sorvane_pids)" ] && return 0
    sleep 0.1
  done
  return 1
}

# Colours in a screenshot of screen $1 (default 0), saved as $WORK/screen$1.png.
screen_colours() {
  local s=${1:-0}
  import -display "$DISPLAY.$s" -window root "$WORK/screen$s.png" 2>/dev/null || return 1
  convert "$WORK/screen$s.png" -format %k info:
}

# Waits up to $1 seconds until screen 0 shows the swarm (more than 16 colours).
wait_drawing() {
  local n
  for _ in $(seq 1 $(($1 * 2))); do
    n=$(screen_colours 0)
    [ "${n:-0}" -gt 16 ] && return 0
    sleep 0.5
  done
  return 1
}

# Pure white pixels in the lower left corner (where -fps writes) of screen 0.
corner_white() {
  local h
  h=$(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[2]; exit }')
  import -display "$DISPLAY.0" -window root "$WORK/corner.png" 2>/dev/null || return 1
  convert "$WORK/corner.png" -crop "110x34+0+$((h - 34))" +repage -fill black +opaque white -format '%[fx:int(mean*w*h)]' info:
}

# The colours (hex, sorted) that cover at least 40 pixels of screen $1: with
# a white photograph, the tints of the squares and of their overlaps.
tints() {
  import -display "$DISPLAY.$1" -window root "$WORK/tints$1.png" 2>/dev/null || return 1
  convert "$WORK/tints$1.png" -format %c histogram:info: |
    awk '$1 + 0 >= 40 { for (i = 2; i <= NF; i++) if ($i ~ /^#/) { if ($i != "#000000") print $i; break } }' | sort -u
}

# Share of screen 0's pixels that are red alone (no green, no blue).
red_share() {
  import -display "$DISPLAY.0" -window root "$WORK/red.png" 2>/dev/null || return 1
  convert "$WORK/red.png" -format %c histogram:info: |
    sed -n 's/^ *\([0-9]*\): *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3 \4/p' |
    awk '{ t += $1; if ($2 > 8 && $3 <= 3 && $4 <= 3) r += $1 } END { printf "%.4f\n", t ? r / t : 0 }'
}

# Ends the saver with -deactivate or a key, and checks that sorvane goes.
end_by() {
  if [ "$1" = key ]; then
    # The daemon takes no notice of input in the first moments of blanking.
    sleep 2
    xdotool key space
  else
    as_user xscreensaver-command -deactivate >/dev/null 2>&1 || fail "xscreensaver-command -deactivate failed"
  fi
  # A loaded machine (the test run beside other work) may take a few seconds.
  wait_no_sorvane 10 || fail "sorvane still runs 10 seconds after the $1: $(sorvane_pids | tr '\n' ' ')"
}

# The daemon's log must not say that a module failed.
check_log() {
  if grep -E "sorvane.*(crashed|exited with status|exited abnormally)|unrecognized option|usage: sorvane" "$WORK/daemon.log"; then
    fail "the daemon reports a failure of sorvane"
  fi
}

case "$CASE" in
  cycles)
    # Activate, draw into the daemon's window, end by -deactivate or a key,
    # ten times; nothing is left running and no file is left behind.
    start_x 1 1024x768
    write_settings "sorvane --root"
    start_daemon
    for cycle in $(seq 1 10); do
      activate 1
      pid=$(echo $PIDS)
      if [ "$cycle" = 1 ]; then
        sleep 0.3
        kill -0 "$pid" 2>/dev/null || fail "sorvane ended at once"
        window=$(tr '\0' '\n' </proc/$pid/environ | sed -n 's/^XSCREENSAVER_WINDOW=//p')
        [ -n "$window" ] || fail "the daemon gave sorvane $pid no XSCREENSAVER_WINDOW: $(tr '\0' ' ' </proc/$pid/environ)"
        xwininfo -id "$window" >/dev/null 2>&1 || fail "the daemon's window $window does not exist"
        grep -q "forked \"sorvane --root\" in pid $pid on window" "$WORK/daemon.log" || fail "the daemon did not start sorvane itself"
        wait_drawing 10 || fail "nothing is drawn into the daemon's window $window"
        note "cycle 1: pid $pid draws into the daemon's window $window ($(screen_colours 0) colours)"
      else
        sleep 0.7
        kill -0 "$pid" 2>/dev/null || fail "cycle $cycle: sorvane ended on its own"
      fi
      if [ $((cycle % 2)) = 1 ]; then end_by deactivate; else end_by key; fi
    done
    left=$(find "$WORK/tmp" "$WORK/bin" -mindepth 1 ! -path "$WORK/bin/sorvane" | head -5)
    [ -z "$left" ] || fail "left behind after ten cycles: $left"
    check_log
    note "ten cycles ended by -deactivate and by a key; nothing left"
    ;;

  fps)
    # -fps (as the settings window's checkbox passes it) draws the frame rate
    # in the lower left corner; without it that corner stays dark.
    start_x 1 1024x768
    write_settings "sorvane --root"
    start_daemon
    activate 1
    wait_drawing 10 || fail "nothing drawn without -fps"
    sleep 1.5
    plain=$(corner_white) || fail "no screenshot"
    end_by deactivate
    write_settings "sorvane --root --fps"
    activate 1
    wait_drawing 10 || fail "nothing drawn with --fps"
    sleep 1.5  # the numbers are worked out after the first second
    with=$(corner_white) || fail "no screenshot"
    kill -0 $PIDS 2>/dev/null || fail "sorvane --fps ended"
    note "white pixels in the lower left corner: $plain without -fps, $with with it"
    [ "$with" -ge 60 ] || fail "no frame rate drawn in the corner ($with white pixels)"
    [ "$plain" -lt 20 ] || fail "the corner is white without -fps ($plain)"
    end_by key
    check_log
    ;;

  common_options)
    # Every option XScreenSaver's modules take, in both spellings; the module
    # runs and draws.
    start_x 1 1024x768
    write_settings "sorvane -root -fps -no-fps -delay 20000 -window -install -visual default -mono -pair --fps --no-fps --delay=10000 --visual=0x21"
    start_daemon
    activate 1
    wait_drawing 10 || fail "nothing drawn with the common options"
    sleep 1
    kill -0 $PIDS 2>/dev/null || fail "sorvane ended with the common options"
    end_by deactivate
    check_log
    # An unknown option still ends the module, naming the option.
    out=$(as_user sorvane -root -count 30 2>&1); status=$?
    [ "$status" = 1 ] || [ "$status" = 2 ] || fail "an unknown option ended with status $status"
    echo "$out" | grep -q -- "-count" || fail "the usage does not name the unknown option: $out"
    ;;

  two_copies)
    # Two screens: the daemon starts one copy on each, in the same second;
    # each shows a swarm of its own colours. With a white photograph every
    # square shows its tint unchanged where it overlaps no other, so each
    # screen's tints can be listed exactly: copies seeded alike would share
    # nearly all of them, copies seeded apart share next to none.
    convert -size 64x64 xc:white -type TrueColor "BMP3:$WORK/photos/white.bmp" || fail "cannot make the white photograph"
    start_x 2 800x600
    write_settings "sorvane --root --image $WORK/photos/white.bmp"
    start_daemon
    activate 2
    set -- $PIDS
    [ $# = 2 ] || fail "expected two copies, found $#"
    wait_drawing 10 || fail "nothing drawn on screen 0"
    sleep 0.5
    kill -STOP "$1" "$2"
    tints 0 >"$WORK/tints0" && tints 1 >"$WORK/tints1" || fail "no screenshots"
    kill -CONT "$1" "$2"
    n0=$(wc -l <"$WORK/tints0"); n1=$(wc -l <"$WORK/tints1")
    shared=$(comm -12 "$WORK/tints0" "$WORK/tints1" | wc -l)
    note "tints on screen 0: $n0, on screen 1: $n1, on both: $shared"
    [ "$n0" -ge 10 ] && [ "$n1" -ge 10 ] || fail "too few squares to compare"
    [ $((shared * 5)) -lt "$n0" ] || fail "the two screens show the same swarm ($shared of $n0 tints shared)"
    end_by deactivate
    check_log
    ;;

  fresh_account)
    # A fresh account's ~/.xscreensaver made of exactly the lines the README
    # gives: XScreenSaver lists Sorvane first, before its own modules, and
    # runs it when it is selected.
    awk '/make that file with just these two lines/ { on = 1; next }
         on && /^    / { sub(/^    /, ""); print; got = 1; next }
         on && got { exit }' "$SORVANE_SOURCE/README.md" >"$WORK/home/.xscreensaver"
    chown "$TEST_USER" "$WORK/home/.xscreensaver"
    [ "$(grep -c . "$WORK/home/.xscreensaver")" = 2 ] || fail "the README's lines for ~/.xscreensaver were not found: $(cat "$WORK/home/.xscreensaver")"
    start_x 1 1024x768
    start_daemon
    as_user xscreensaver-command -select 1 >/dev/null 2>&1 || fail "xscreensaver-command -select 1 failed"
    for _ in $(seq 1 150); do [ -n "$(sorvane_pids)" ] && break; sleep 0.1; done
    [ -n "$(sorvane_pids)" ] || fail "the first module of the list is not sorvane"
    wait_drawing 10 || fail "nothing drawn"
    end_by deactivate
    check_log
    ;;

  settings_window)
    # XScreenSaver's settings window reads Sorvane's file without a warning
    # (and does warn about a broken copy) and runs the preview; the command
    # line its dialog for Sorvane saves runs under the daemon, with the frame
    # rate shown and photographs from the image folder set in
    # XScreenSaver.
    XML="$SORVANE_SOURCE/startup/sorvane.xml"
    cp -r /usr/share/xscreensaver/config "$WORK/config"
    mount --bind "$WORK/config" /usr/share/xscreensaver/config || fail "cannot mount the settings files"
    start_x 1 1024x768
    write_settings "sorvane --root"
    # Runs the settings window for a few seconds; its debug output in $WORK/settings.log.
    settings_window() {
      cp "$1" "$WORK/config/sorvane.xml"
      as_user timeout 6 xscreensaver-settings --debug >"$WORK/settings.log" 2>&1
    }
    sed 's/type="slider" arg="--size %"/type="slidr" arg="--size %"/' "$XML" >"$WORK/broken.xml"
    settings_window "$WORK/broken.xml"
    wait_no_sorvane 5 || fail "the preview outlived the settings window by 5 seconds"
    grep -q 'WARNING: .*sorvane.xml' "$WORK/settings.log" || fail "the settings window does not warn about a broken file; the check would miss one"
    settings_window "$XML"
    wait_no_sorvane 5 || fail "the preview outlived the settings window by 5 seconds"
    grep -q 'reading .*/sorvane.xml' "$WORK/settings.log" || fail "the settings window did not read sorvane.xml"
    if grep -E -i 'sorvane.xml.*(warning|error)|(warning|error).*sorvane.xml|parser error' "$WORK/settings.log"; then
      fail "the settings window complains about sorvane.xml"
    fi
    grep -q 'forked [0-9]* (sorvane)' "$WORK/settings.log" || fail "the settings window did not run the preview"
    if grep -q '(sorvane) died\|(sorvane) crashed' "$WORK/settings.log"; then fail "the preview died"; fi
    note "the settings window reads sorvane.xml without a warning and runs the preview"

    # The settings window's own dialog for Sorvane: the three sliders moved,
    # show the frame rate, photographs from the image folder; Save writes the
    # command line into ~/.xscreensaver.
    "$MAKE_PHOTO" 800 600 "$WORK/photos/red.jpg" || fail "cannot make the photograph"
    chmod -R a+rX "$WORK/photos"
    as_user xscreensaver-settings --debug >"$WORK/settings.log" 2>&1 &
    SETTINGS_PID=$!
    # Ready once its preview of Sorvane runs.
    for _ in $(seq 1 150); do grep -q 'forked [0-9]* (sorvane)' "$WORK/settings.log" && break; sleep 0.1; done
    grep -q 'forked [0-9]* (sorvane)' "$WORK/settings.log" || fail "the settings window did not start its preview"
    sleep 1
    # Without a window manager the windows keep the places GTK gives them:
    # the main window at the top left, Sorvane's dialog moved to 150,150.
    click_at() { xdotool mousemove "$1" "$2"; sleep 0.3; xdotool mousedown 1; sleep 0.15; xdotool mouseup 1; sleep 0.7; }
    click_at 813 540  # "Settings..."
    dialog=""
    for _ in $(seq 1 50); do dialog=$(xdotool search --onlyvisible --name 'Sorvane Settings$' | tail -1); [ -n "$dialog" ] && break; sleep 0.1; done
    [ -n "$dialog" ] || fail "Sorvane's settings dialog did not open"
    xdotool windowmove "$dialog" 150 150; sleep 1
    in_dialog() { click_at $((150 + $1)) $((150 + $2)); }
    # Each change shows in the command line of the dialog's preview; a change
    # that did not arrive (a busy machine) is made again.
    previewed() { grep 'scheduling preview' "$WORK/settings.log" | tail -1 | grep -q -- "$1"; }
    change() {
      local option=$1; shift
      for _ in 1 2 3; do
        "$@"
        for _ in $(seq 1 50); do previewed "$option" && return 0; sleep 0.1; done
      done
      fail "the dialog did not take $option (its layout moved? see $WORK/dialog.png)"
    }
    pick_random() { in_dialog 507 61; sleep 1; xdotool key Down; sleep 0.5; xdotool key Return; sleep 0.5; }
    import -window root "$WORK/dialog.png" 2>/dev/null
    change "--delay [0-9]" in_dialog 170 82     # the frame rate slider, towards Low
    change "--size [0-9]" in_dialog 143 145     # the picture size slider, towards Far
    change "--fps" in_dialog 38 181             # "Show frame rate"
    change "--random-photo" pick_random         # photographs from the image folder
    change "--change-every [0-9]" in_dialog 520 166  # the time per photograph slider, towards 10 minutes
    writes=$(grep -c 'wrote .*\.xscreensaver' "$WORK/settings.log")
    in_dialog 669 415  # Save
    for _ in $(seq 1 50); do [ "$(grep -c 'wrote .*\.xscreensaver' "$WORK/settings.log")" -gt "$writes" ] && break; sleep 0.1; done
    click_at 975 633  # "Close"
    for _ in $(seq 1 50); do kill -0 "$SETTINGS_PID" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$SETTINGS_PID" 2>/dev/null && fail "the settings window did not close"
    wait_no_sorvane 5 || fail "the preview outlived the settings window by 5 seconds"
    # Long entries are wrapped with a backslash at the end of the line.
    saved=$(tr -d '\n' <"$WORK/home/.xscreensaver" | sed 's/\\n\\/\n/g' | grep 'sorvane --root' |
      sed 's/\\//g; s/^.*sorvane --root/sorvane --root/; s/[[:space:]]\{1,\}/ /g; s/ *$//' | head -1)
    note "saved command line: $saved"
    for option in "--fps" "--random-photo" "--delay [0-9]" "--size [0-9]" "--change-every [0-9]"; do
      echo "$saved" | grep -q -- "$option" || fail "the settings window did not save $option (the dialog's layout moved? see $WORK/dialog.png)"
    done
    # The daemon runs what the settings window saved, as saved.
    start_daemon
    activate 1
    wait_drawing 10 || fail "the saved command line draws nothing"
    sleep 1
    kill -0 $PIDS 2>/dev/null || fail "the saved command line ended"
    # The photograph came from the image folder (its red quarter), not --image.
    share=$(red_share) || fail "no screenshot"
    note "red alone on $share of the screen"
    awk -v s="$share" 'BEGIN { exit !(s > 0.005) }' || fail "the photograph from the image folder is not shown"
    white=$(corner_white) || fail "no screenshot"
    [ "$white" -ge 60 ] || fail "the saved --fps shows no frame rate ($white white pixels in the corner)"
    end_by deactivate
    check_log
    ;;

  random_png)
    # --random-photo with a small solid red PNG (below the 500 x 500 that
    # XScreenSaver's own helper would pass over) alone in a subfolder of
    # XScreenSaver's image folder: Sorvane walks the folder and its red is
    # on the screen.
    mkdir -p "$WORK/photos/trip"
    convert -size 400x300 xc:'#ff0000' -type TrueColor "PNG24:$WORK/photos/trip/red.png" || fail "cannot make the photograph"
    chmod -R a+rX "$WORK/photos"
    start_x 1 1024x768
    write_settings "sorvane --root --random-photo"
    start_daemon
    activate 1
    wait_drawing 10 || fail "nothing drawn"
    sleep 1
    kill -0 $PIDS 2>/dev/null || fail "sorvane ended"
    share=$(red_share) || fail "no screenshot"
    note "red alone on $share of the screen"
    awk -v s="$share" 'BEGIN { exit !(s > 0.005) }' || fail "the PNG from the image folder is not shown"
    end_by deactivate
    check_log
    ;;

  *) fail "unknown case" ;;
esac
note "passed"
exit 0
