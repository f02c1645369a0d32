#!/usr/bin/env bash
# Figures (not a pass/fail test): the CPU that `sorvane` uses while the real
# XScreenSaver daemon runs it at 1920 x 1080 on a virtual X server (Mesa's
# software renderer), beside XScreenSaver's own glslideshow in the same run.
# Each module runs SECONDS_EACH seconds (default 15) after a 3-second start;
# the figure is the module process's CPU time (user + system, all threads)
# as a share of one core, from /proc. The daemon refuses to run as root, so
# this runs it as the unprivileged user of the XScreenSaver end-to-end tests
# (made when missing); run it as root. Builds `sorvane` in build/linux.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_EACH=${SECONDS_EACH:-15}
TEST_USER=sorvane-e2e
[ "$(id -u)" = 0 ] || { echo "run as root (the daemon runs as the test user $TEST_USER)"; exit 1; }

cmake -S "$ROOT" -B "$ROOT/build/linux" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$ROOT/build/linux" -j2 --target sorvane >/dev/null

exec {LOCK}>/tmp/sorvane-e2e-user.lock
flock -w 600 "$LOCK"
id -u "$TEST_USER" >/dev/null 2>&1 ||
  useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$TEST_USER"

WORK=$(mktemp -d /tmp/sorvane-bench-xss.XXXXXX)
chmod 755 "$WORK"
mkdir -p "$WORK/home" "$WORK/tmp" "$WORK/bin"
chown "$TEST_USER" "$WORK/home" "$WORK/tmp"
cp "$ROOT/build/linux/bin/sorvane" "$WORK/bin/"
XPID=""
cleanup() {
  for p in $(pgrep -u "$TEST_USER"); do kill "$p" 2>/dev/null; done
  [ -n "$XPID" ] && kill "$XPID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

exec {FD}<> <(:)
Xvfb -displayfd "$FD" -screen 0 1920x1080x24 -nolisten tcp +extension GLX +extension RANDR >"$WORK/xvfb.log" 2>&1 &
XPID=$!
read -r -t 30 -u "$FD" n
exec {FD}<&-
export DISPLAY=":$n"
xhost "+si:localuser:$TEST_USER" >/dev/null

as_user() {
  runuser -u "$TEST_USER" -- env -i HOME="$WORK/home" DISPLAY="$DISPLAY" PATH="$WORK/bin:/usr/bin:/bin" \
    TMPDIR="$WORK/tmp" "$@"
}
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
HZ=$(getconf CLK_TCK)

measure() {  # label, command line, process name
  printf 'timeout:\t0:30:00\nlock:\tFalse\nmode:\tone\nselected:\t0\nsplash:\tFalse\nfade:\tFalse\nunfade:\tFalse\n' >"$WORK/home/.xscreensaver"
  printf 'dpmsEnabled:\tFalse\ngrabDesktopImages:\tTrue\nchooseRandomImages:\tFalse\n' >>"$WORK/home/.xscreensaver"
  printf 'programs:\t\\\n  GL:  %s\t\\n\\\n\n' "$2" >>"$WORK/home/.xscreensaver"
  chown "$TEST_USER" "$WORK/home/.xscreensaver"
  as_user xscreensaver -no-splash >/dev/null 2>&1 &
  for _ in $(seq 1 100); do as_user xscreensaver-command -version >/dev/null 2>&1 && break; sleep 0.1; done
  as_user xscreensaver-command -activate >/dev/null
  local pid=""
  for _ in $(seq 1 150); do pid=$(pgrep -u "$TEST_USER" -x "$3" | head -1); [ -n "$pid" ] && break; sleep 0.1; done
  [ -n "$pid" ] || { echo "$1: did not start"; return; }
  sleep 3
  local t0 c0 t1 c1
  t0=$(date +%s.%N); c0=$(ticks "$pid")
  sleep "$SECONDS_EACH"
  t1=$(date +%s.%N); c1=$(ticks "$pid")
  awk -v l="$1" -v c="$((c1 - c0))" -v hz="$HZ" -v t0="$t0" -v t1="$t1" \
    'BEGIN { printf "%-34s CPU %5.1f %% of one core over %.1f s\n", l, 100 * c / hz / (t1 - t0), t1 - t0 }'
  as_user xscreensaver-command -exit >/dev/null 2>&1 || true
  for _ in $(seq 1 50); do [ -z "$(pgrep -u "$TEST_USER")" ] && break; sleep 0.1; done
}

echo "Under the XScreenSaver daemon $(dpkg-query -W -f '${Version}' xscreensaver), 1920x1080, $(nproc) cores, Mesa software rendering:"
measure "sorvane --root" "sorvane --root" sorvane
measure "sorvane --root --delay 20000" "sorvane --root --delay 20000" sorvane
measure "glslideshow --root (its defaults)" "glslideshow --root" glslideshow
