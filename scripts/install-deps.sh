#!/usr/bin/env bash
# Installs, from Debian's packages, everything needed to build Sorvane for Linux
# and Windows and to run every test suite. Safe to run again: packages that are
# already present are skipped, and apt is not touched when nothing is missing.
set -euo pipefail

PACKAGES=(
  # native build
  cmake ninja-build g++ pkg-config
  libx11-dev libxrandr-dev libxinerama-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri
  libjpeg62-turbo-dev libexif-dev libpng-dev libwebp-dev libgif-dev libtiff-dev libgtest-dev libbenchmark-dev
  # fuzzing (dpkg-dev unpacks the decoder's source package)
  clang libclang-rt-14-dev dpkg-dev
  # Windows cross build and Wine
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 fonts-wine
  # virtual display, driving and screenshots
  xvfb xserver-xephyr xauth x11-utils xdotool imagemagick
  # test pictures: cwebp for WebP
  webp
  # XScreenSaver end to end: the daemon, its settings window and image helper,
  # GL peers to compare with; xhost lets its unprivileged test user draw
  xscreensaver xscreensaver-data xscreensaver-gl x11-xserver-utils
  # the Debian package and its manual page: dpkg-buildpackage, its checkers
  # lintian and mandoc, man, file, objdump (what the package's own build needs
  # is installed below, from debian/control); the Windows release zip
  dpkg-dev lintian mandoc man-db file binutils zip unzip
  # Japanese locale and font (code page 932 under Wine, readable screenshots)
  locales fonts-ipafont-gothic
  # the show's benchmark: its peers glslideshow and photopile, and glxinfo
  xscreensaver-gl xscreensaver-gl-extra mesa-utils
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if [ "${#missing[@]}" -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# What the Debian package's build needs, as debian/control's Build-Depends
# name it, so that the list lives in one place.
ROOT=$(cd "$(dirname "$0")/.." && pwd)
if ! dpkg-checkbuilddeps "$ROOT/debian/control" >/dev/null 2>&1; then
  echo "install-deps: installing the Debian package's build dependencies"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get build-dep -y -qq --no-install-recommends "$ROOT" >/dev/null
fi

# Wine takes its ANSI code page from the locale: ja_JP.UTF-8 gives code page
# 932. de_DE.UTF-8 (a decimal comma) is the locale the number tests run in.
wanted_locales=()
for l in ja_JP de_DE; do
  if ! locale -a 2>/dev/null | grep -qi "^$l\.utf-\?8\$"; then wanted_locales+=("$l"); fi
done
if [ "${#wanted_locales[@]}" -gt 0 ]; then
  echo "install-deps: generating ${wanted_locales[*]/%/.UTF-8}"
  for l in "${wanted_locales[@]}"; do
    if [ -f /etc/locale.gen ] && grep -q "^# *$l.UTF-8" /etc/locale.gen; then
      $SUDO sed -i "s/^# *\($l.UTF-8\)/\1/" /etc/locale.gen
    elif ! grep -q "^$l.UTF-8" /etc/locale.gen 2>/dev/null; then
      echo "$l.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
  done
  $SUDO locale-gen >/dev/null
fi

# The fuzzing build compiles the decoders it fuzzes (libjpeg-turbo, libpng,
# libwebp) itself, instrumented, from Debian's source packages of the installed
# versions (scripts/fuzz.sh builds each once). Kept under build/third_party,
# fetched only when missing; the source lines are derived from the binary ones
# already configured.
enable_sources() {
  if ! apt-get indextargets --format '$(CREATED_BY)' 2>/dev/null | grep -q '^Sources$'; then
    echo "install-deps: enabling Debian source packages"
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] && grep -q '^Types: deb$' "$f" || continue
      sed 's/^Types: deb$/Types: deb-src/' "$f" | $SUDO tee "/etc/apt/sources.list.d/source-$(basename "$f")" >/dev/null
    done
    if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list; then
      grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | $SUDO tee /etc/apt/sources.list.d/source-lines.list >/dev/null
    fi
    $SUDO apt-get update -qq
  fi
}
# fetch_source FOLDER SOURCE-PACKAGE INSTALLED-BINARY-PACKAGE
fetch_source() {
  local dir="$ROOT/build/third_party/$1"
  [ -f "$dir/.unpacked" ] && return 0
  enable_sources
  local version
  version=$(dpkg-query -W -f='${source:Version}' "$3")
  echo "install-deps: fetching the source of $2 $version"
  rm -rf "$dir" && mkdir -p "$dir"
  # A version the mirrors no longer carry falls back to the newest other
  # version of the same source package they list.
  if ! (cd "$dir" && apt-get source -qq "$2=$version" >/dev/null 2>&1); then
    local other
    for other in $(apt-cache showsrc "$2" | sed -n 's/^Version: //p' | sort -rV); do
      [ "$other" = "$version" ] && continue
      echo "install-deps: $2 $version is not offered; fetching $other"
      rm -rf "$dir" && mkdir -p "$dir"
      (cd "$dir" && apt-get source -qq "$2=$other" >/dev/null 2>&1) && break
    done
  fi
  ls -d "$dir"/*/ >/dev/null 2>&1 || { echo "install-deps: no source of $2 could be fetched"; return 1; }
  touch "$dir/.unpacked"
}
fetch_source libjpeg-turbo libjpeg-turbo libjpeg62-turbo-dev
fetch_source libpng libpng1.6 libpng-dev
fetch_source libwebp libwebp libwebp-dev
# giflib is small: fuzz.sh compiles its decoder's files straight into the GIF
# fuzzer.
fetch_source giflib giflib libgif-dev
