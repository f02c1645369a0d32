#!/usr/bin/env bash
# The Debian package as a packager and a user meet it. scripts/make-deb.sh
# builds it twice (dpkg-buildpackage in a copy of the tree in a temporary
# folder of its own), one build after the other: the two .deb files are the
# same bytes, lintian finds no error and no warning in the package and its
# .changes, the manual page passes mandoc's checks, the version is the same
# everywhere, and the package holds exactly its files, depends on what the
# program needs, is hardened, and what it unpacks runs and is found by man.
# Nothing is installed.
#   tests/e2e/debian_package.sh
# Exit status 0 passed, 1 failed.
set -uo pipefail
# The tools' messages in English, whatever the test display's locale.
export LC_ALL=C.UTF-8

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
WORK=$(mktemp -d /tmp/sorvane-deb-test.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL [debian_package]: $*"; exit 1; }
note() { echo "[debian_package] $*"; }

# One version everywhere: the Debian changelog, CMake's project, the manual
# page and the Windows program's version block.
version=$(dpkg-parsechangelog -l "$ROOT/debian/changelog" -SVersion)
cmake_version=$(sed -n 's/^project(Sorvane VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
page_version=$(sed -n '1s/^\.TH [^"]*"[^"]*" "Sorvane \([^"]*\)".*/\1/p' "$ROOT/startup/sorvane.6")
rc_version=$(sed -n 's/^ *VALUE "FileVersion", "\([^"]*\)".*/\1/p' "$ROOT/resources/sorvane.rc")
for v in "$cmake_version" "$page_version" "$rc_version"; do
  [ -n "$version" ] && [ "$v" = "$version" ] ||
    fail "versions differ: debian/changelog \"$version\", CMakeLists.txt \"$cmake_version\", sorvane.6 \"$page_version\", sorvane.rc \"$rc_version\""
done

# The manual page: not one message from mandoc's checker, style included.
lint=$(mandoc -Tlint "$ROOT/startup/sorvane.6" 2>&1)
[ $? -eq 0 ] && [ -z "$lint" ] || fail "mandoc -Tlint startup/sorvane.6: $lint"

# Two builds, in two temporary folders, one after the other; each compiles
# for itself rather than taking the other's objects from ccache.
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
deb="sorvane_${version}_${arch}.deb"
for run in a b; do
  CCACHE_DISABLE=1 "$ROOT/scripts/make-deb.sh" "$WORK/$run" >/dev/null || fail "scripts/make-deb.sh failed (build $run)"
  [ -f "$WORK/$run/$deb" ] || fail "no $deb: $(ls "$WORK/$run")"
done
note "build a: $(sha256sum "$WORK/a/$deb" | cut -d' ' -f1) $deb, $(stat -c %s "$WORK/a/$deb") bytes"
note "build b: $(sha256sum "$WORK/b/$deb" | cut -d' ' -f1) $deb"
if ! cmp -s "$WORK/a/$deb" "$WORK/b/$deb"; then
  diff <(dpkg-deb -c "$WORK/a/$deb") <(dpkg-deb -c "$WORK/b/$deb")
  diff <(dpkg-deb -I "$WORK/a/$deb" md5sums) <(dpkg-deb -I "$WORK/b/$deb" md5sums)
  fail "the two builds of $deb differ"
fi
deb="$WORK/a/$deb"

# lintian, pedantic and informational tags shown too; errors and warnings fail.
changes="$WORK/a/sorvane_${version}_${arch}.changes"
report=$(lintian --pedantic --display-info --fail-on error,warning "$deb" "$changes" 2>&1)
status=$?
report=$(echo "$report" | grep -v '^running with root privileges is not recommended!$')
[ -n "$report" ] && echo "$report"
[ "$status" -eq 0 ] || fail "lintian ended with status $status"
echo "$report" | grep -q '^[EW]: ' && fail "lintian reports errors or warnings"
note "lintian: ${report:-no tags}"

# Exactly the program, the settings window's file, the manual page, the
# changelog and the copyright file.
listing=$(dpkg-deb -c "$deb") || fail "dpkg-deb cannot list the package"
files=$(echo "$listing" | awk '$1 !~ /^d/ { print $6 }' | sort | tr '\n' ' ')
want="./usr/libexec/xscreensaver/sorvane ./usr/share/doc/sorvane/changelog.gz ./usr/share/doc/sorvane/copyright ./usr/share/man/man6/sorvane.6.gz ./usr/share/xscreensaver/config/sorvane.xml "
[ "$files" = "$want" ] || fail "files: $files (want $want)"
echo "$listing" | grep -q '^-rwxr-xr-x root/root .*usr/libexec/xscreensaver/sorvane$' || fail "the program is not an executable owned by root"

[ "$(dpkg-deb -f "$deb" Package)" = sorvane ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "architecture"
depends=$(dpkg-deb -f "$deb" Depends)
recommends=$(dpkg-deb -f "$deb" Recommends)
note "Depends: $depends"
note "Recommends: $recommends"
# The image folder's helper for --random-photo; XScreenSaver itself is only
# recommended, as the program also runs on its own.
echo ", $depends," | grep -q "[ ,]xscreensaver-data[ ,(]" || fail "Depends lacks xscreensaver-data"
echo ", $recommends," | grep -q "[ ,]xscreensaver[ ,(]" || fail "Recommends lacks xscreensaver"
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
# Hardened: position independent, read-only relocations bound at start,
# stack protector and fortified functions.
readelf -h "$prog" | grep -q 'Type: *DYN' || fail "the program is not position independent"
readelf -l "$prog" | grep -q 'GNU_RELRO' || fail "the program has no read-only relocations"
readelf -d "$prog" | grep -Eq 'BIND_NOW|FLAGS_1.*NOW' || fail "the program is not bound at start (no -z now)"
syms=$(readelf --dyn-syms -W "$prog")
echo "$syms" | grep -q '__stack_chk_fail' || fail "the program has no stack protector"
echo "$syms" | grep -q '__[a-z_]*_chk\b' || fail "the program uses no fortified functions"

# The unpacked program runs, and man finds its page where the package puts it.
help=$("$prog" --help) && echo "$help" | grep -q -- "-fps" || fail "the packaged program does not run"
page=$(MANPATH="$WORK/root/usr/share/man" man -w sorvane 2>/dev/null)
[ "$page" = "$WORK/root/usr/share/man/man6/sorvane.6.gz" ] || fail "man -w sorvane gives \"$page\""
text=$(MANPATH="$WORK/root/usr/share/man" MANWIDTH=80 man sorvane 2>/dev/null)
echo "$text" | grep -q "random-photo" || fail "man sorvane shows no page"
note "passed"
