#!/usr/bin/env bash
# The Debian package of the Linux program, built from the native build folder
# with cpack into a scratch folder: its name, its files, its dependencies, and
# that what it unpacks runs and is found by man. Nothing is installed.
#   tests/e2e/debian_package.sh BUILD_FOLDER
# Exit status 0 passed, 1 failed.
set -uo pipefail

BUILD=${1:?build folder}
WORK=$(mktemp -d /tmp/sorvane-deb.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL [debian_package]: $*"; exit 1; }
note() { echo "[debian_package] $*"; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $BUILD/CMakeCache.txt"
(cd "$BUILD" && cpack -G DEB -B "$WORK/out" >"$WORK/cpack.log" 2>&1) || { cat "$WORK/cpack.log"; fail "cpack -G DEB failed"; }
deb="$WORK/out/sorvane_${version}_amd64.deb"
[ -f "$deb" ] || fail "no $deb: $(ls "$WORK/out")"
note "built $(basename "$deb"), $(stat -c %s "$deb") bytes"

# Exactly the program, the settings window's file and the manual page.
listing=$(dpkg-deb -c "$deb") || fail "dpkg-deb cannot list the package"
files=$(echo "$listing" | awk '$1 !~ /^d/ { print $6 }' | sort | tr '\n' ' ')
want="./usr/libexec/xscreensaver/sorvane ./usr/share/man/man6/sorvane.6 ./usr/share/xscreensaver/config/sorvane.xml "
[ "$files" = "$want" ] || fail "files: $files (want $want)"
echo "$listing" | grep -q '^-rwxr-xr-x root/root .*usr/libexec/xscreensaver/sorvane$' || fail "the program is not an executable owned by root"

[ "$(dpkg-deb -f "$deb" Package)" = sorvane ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Architecture)" = amd64 ] || fail "architecture"
depends=$(dpkg-deb -f "$deb" Depends)
note "Depends: $depends"
for d in xscreensaver xscreensaver-data libgl1-mesa-dri libc6 libstdc++6 libx11-6 libxrandr2 libjpeg62-turbo libglx0; do
  echo ", $depends," | grep -q "[ ,]$d[ ,(]" || fail "Depends lacks $d"
done
# Every library the program needs is provided by an installed package that
# the dependencies name (dpkg-shlibdeps worked).
dpkg-deb -x "$deb" "$WORK/root"
prog="$WORK/root/usr/libexec/xscreensaver/sorvane"
for lib in $(ldd "$prog" | awk '/=>/ { print $3 }'); do
  pkg=$(dpkg -S "$(readlink -f "$lib")" 2>/dev/null | head -1 | cut -d: -f1)
  [ -n "$pkg" ] || pkg=$(dpkg -S "$lib" 2>/dev/null | head -1 | cut -d: -f1)
  [ -n "$pkg" ] || continue
  case "$pkg" in libc6|libgcc-s1|libstdc++6) continue ;; esac
  # Libraries pulled in by other libraries need not be named.
  if ! echo ", $depends," | grep -q "[ ,|]$pkg[ ,(]"; then
    objdump -p "$prog" | grep -q "NEEDED *$(basename "$lib")" && fail "Depends lacks $pkg (for $(basename "$lib"))"
  fi
done
file "$prog" 2>/dev/null | grep -q "not stripped" && fail "the packaged program is not stripped"

# The unpacked program runs, and man finds its page where the package puts it.
help=$("$prog" --help) && echo "$help" | grep -q -- "-fps" || fail "the packaged program does not run"
page=$(MANPATH="$WORK/root/usr/share/man" man -w sorvane 2>/dev/null)
[ "$page" = "$WORK/root/usr/share/man/man6/sorvane.6" ] || fail "man -w sorvane gives \"$page\""
text=$(MANPATH="$WORK/root/usr/share/man" MANWIDTH=80 man sorvane 2>/dev/null)
echo "$text" | grep -q "random-photo" || fail "man sorvane shows no page"
note "passed"
