#!/usr/bin/env bash
# The Windows release as a user and a checker meet it. scripts/make-release.sh
# runs in two copies of the tree in different folders, one after the other:
# the two zips and the two Sorvane.scr files are the same bytes, the sums it
# prints are those of the files, and the zip holds Sorvane.scr, README.txt
# (Japanese and English, for Notepad) and LICENSE.txt, in that order.
#   tests/e2e/windows_release.sh
# Exit status 0 passed, 1 failed.
set -uo pipefail
# The tools' messages in English, whatever the test display's locale.
export LC_ALL=C.UTF-8

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
WORK=$(mktemp -d /tmp/sorvane-release-test.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL [windows_release]: $*"; exit 1; }
note() { echo "[windows_release] $*"; }

version=$(sed -n 's/^project(Sorvane VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
zip="Sorvane-$version-windows.zip"
# Each build compiles for itself rather than taking the other's objects from ccache.
for run in a b; do
  "$ROOT/scripts/copy-tree.sh" "$WORK/$run" || fail "cannot copy the tree"
  out=$(CCACHE_DISABLE=1 "$WORK/$run/scripts/make-release.sh" 2>&1) || { echo "$out"; fail "make-release.sh failed (copy $run)"; }
  echo "$out" >"$WORK/$run.out"
  [ -f "$WORK/$run/dist/$zip" ] || fail "no dist/$zip: $out"
done

scr_a="$WORK/a/build/release-windows/bin/Sorvane.scr"
scr_b="$WORK/b/build/release-windows/bin/Sorvane.scr"
note "copy a: $(sha256sum "$WORK/a/dist/$zip" | cut -d' ' -f1) $zip, $(sha256sum "$scr_a" | cut -d' ' -f1) Sorvane.scr"
note "copy b: $(sha256sum "$WORK/b/dist/$zip" | cut -d' ' -f1) $zip, $(sha256sum "$scr_b" | cut -d' ' -f1) Sorvane.scr"
if ! cmp -s "$scr_a" "$scr_b"; then
  # Say what differs: the link time in the PE header, or a folder of the build.
  for s in "$scr_a" "$scr_b"; do
    echo "$s: $(x86_64-w64-mingw32-objdump -p "$s" | grep 'Time/Date' | tr -s '\t' ' '), $(grep -c -a "$WORK" "$s") lines naming $WORK"
  done
  cmp -l "$scr_a" "$scr_b" | head -n 5
  fail "the two builds of Sorvane.scr differ"
fi
cmp -s "$WORK/a/dist/$zip" "$WORK/b/dist/$zip" || { zipinfo -v "$WORK/a/dist/$zip" >"$WORK/a.info"; zipinfo -v "$WORK/b/dist/$zip" | diff "$WORK/a.info" -; fail "the two zips differ"; }

# The sums printed are the files' own.
for f in "$WORK/a/dist/$zip" "$scr_a"; do
  sum=$(sha256sum "$f" | cut -d' ' -f1)
  grep -q "^$sum  $(basename "$f")\$" "$WORK/a.out" || fail "make-release.sh does not print the sum of $(basename "$f"): $(cat "$WORK/a.out")"
done

# What the zip holds, in order, whole; the program in it is the one built.
names=$(unzip -Z1 "$WORK/a/dist/$zip" | tr '\n' ' ')
[ "$names" = "Sorvane.scr README.txt LICENSE.txt " ] || fail "the zip holds: $names"
unzip -tq "$WORK/a/dist/$zip" >/dev/null || fail "the zip does not test whole"
unzip -q "$WORK/a/dist/$zip" -d "$WORK/unzipped"
cmp -s "$WORK/unzipped/Sorvane.scr" "$scr_a" || fail "the zip's Sorvane.scr is not the one built"
# README.txt: UTF-8 with a byte-order mark, Windows line ends, both languages'
# sections and the version filled in. LICENSE.txt: the licence.
readme="$WORK/unzipped/README.txt"
[ "$(head -c 3 "$readme" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "README.txt has no UTF-8 byte-order mark"
[ "$(grep -c $'\r$' "$readme")" = "$(wc -l <"$readme")" ] || fail "README.txt has lines without a Windows line end"
text=$(tail -c +4 "$readme" | tr -d '\r')
for heading in "Sorvane $version " "インストール" "設定" "アンインストール" "Installing" "Settings" "Uninstalling"; do
  echo "$text" | grep -q "^$heading" || fail "README.txt lacks \"$heading\""
done
echo "$text" | grep -q "@VERSION@" && fail "README.txt still says @VERSION@"
grep -q $'^Copyright (c) 2026 the Sorvane authors\r$' "$WORK/unzipped/LICENSE.txt" || fail "LICENSE.txt lacks the copyright line"
grep -q $'^MIT License\r$' "$WORK/unzipped/LICENSE.txt" || fail "LICENSE.txt is not the MIT licence"
note "passed"
