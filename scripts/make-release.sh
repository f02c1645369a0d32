#!/usr/bin/env bash
# Makes the Windows release of Sorvane:
#   scripts/make-release.sh   -> dist/Sorvane-<version>-windows.zip
# It builds Sorvane.scr alone (Release, no tests) in build/release-windows and
# packs it with README.txt (install, settings, uninstall, in Japanese and
# English) and LICENSE.txt, then prints the SHA-256 sums of the zip and of
# Sorvane.scr and writes them to dist/SHA256SUMS, for the release page.
# The same tree gives the same bytes: the build leaves out time stamps and
# folders, and the zip holds its files in a fixed order, each dated by the
# release's entry in debian/changelog.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build/release-windows"
DIST="$ROOT/dist"

version=$(sed -n 's/^project(Sorvane VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
[ -n "$version" ] || { echo "make-release: no version in CMakeLists.txt" >&2; exit 1; }
stamp=$(dpkg-parsechangelog -l "$ROOT/debian/changelog" -STimestamp)

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DSORVANE_TESTS=OFF -DSORVANE_BENCHMARKS=OFF >/dev/null
cmake --build "$BUILD" -j"${JOBS:-2}" --target Sorvane >/dev/null

STAGE=$(mktemp -d "${TMPDIR:-/tmp}/sorvane-release.XXXXXX")
trap 'rm -rf "$STAGE"' EXIT
cp "$BUILD/bin/Sorvane.scr" "$STAGE/Sorvane.scr"
# Windows line ends; the byte-order mark tells Notepad that README.txt is
# UTF-8 on a Japanese system too, whose default code page is 932.
{ printf '\357\273\277'; sed "s/@VERSION@/$version/g; s/\$/\r/" "$ROOT/docs/windows-release-README.txt"; } >"$STAGE/README.txt"
sed 's/$/\r/' "$ROOT/LICENSE" >"$STAGE/LICENSE.txt"
chmod 644 "$STAGE"/*
touch -d "@$stamp" "$STAGE"/*

zip="Sorvane-$version-windows.zip"
mkdir -p "$DIST"
rm -f "$DIST/$zip"
# -X: no owners or extra time fields; TZ=UTC: zip stores local times.
(cd "$STAGE" && TZ=UTC zip -q -X "$DIST/$zip" Sorvane.scr README.txt LICENSE.txt)

sums=$(cd "$DIST" && sha256sum "$zip"; cd "$STAGE" && sha256sum Sorvane.scr)
echo "$sums" >"$DIST/SHA256SUMS"
echo "$DIST/$zip"
echo "SHA-256:"
echo "$sums"
