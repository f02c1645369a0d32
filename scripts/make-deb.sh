#!/usr/bin/env bash
# Builds the Linux program alone and its Debian package:
#   scripts/make-deb.sh            -> build/deb/sorvane_<version>_amd64.deb
# Install it with: sudo apt install ./build/deb/sorvane_*.deb
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build/deb"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSORVANE_TESTS=OFF -DSORVANE_BENCHMARKS=OFF >/dev/null
cmake --build "$BUILD" -j"${JOBS:-2}" --target sorvane
(cd "$BUILD" && cpack -G DEB >/dev/null)
ls "$BUILD"/sorvane_*_amd64.deb
