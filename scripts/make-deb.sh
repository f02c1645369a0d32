#!/usr/bin/env bash
# Builds Sorvane's Debian package with dpkg-buildpackage, from a copy of this
# tree in a temporary folder, so that the checkout stays as it is:
#   scripts/make-deb.sh [OUT]      -> OUT/sorvane_<version>_<arch>.deb
# OUT is build/deb unless given. Beside the package land its .changes and
# .buildinfo files, its debug symbols (.ddeb) and the build's log (.build).
# The build needs the packages of debian/control's Build-Depends
# (scripts/install-deps.sh or `sudo apt build-dep ./` installs them).
# Install the package with: sudo apt install ./build/deb/sorvane_*_amd64.deb
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${1:-$ROOT/build/deb}
mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)

version=$(dpkg-parsechangelog -l "$ROOT/debian/changelog" -SVersion)
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/sorvane-deb.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# dpkg-buildpackage leaves its files beside the source folder, in $WORK.
"$ROOT/scripts/copy-tree.sh" "$WORK/sorvane-$version"
log="$OUT/sorvane_${version}_${arch}.build"
if ! (cd "$WORK/sorvane-$version" &&
      DEB_BUILD_OPTIONS="parallel=${JOBS:-2} ${DEB_BUILD_OPTIONS:-}" dpkg-buildpackage -us -uc -b) >"$log" 2>&1; then
  tail -n 40 "$log"
  echo "make-deb: dpkg-buildpackage failed; the whole log is $log" >&2
  exit 1
fi
for f in "$WORK"/*.deb "$WORK"/*.ddeb "$WORK"/*.changes "$WORK"/*.buildinfo; do
  [ -e "$f" ] && mv -f "$f" "$OUT/"
done
ls "$OUT/sorvane_${version}_${arch}.deb"
