#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/*_fuzzer.cpp) with clang, AddressSanitizer
# and UndefinedBehaviorSanitizer into build/fuzz, and runs each for a bounded
# time (FUZZ_SECONDS, default 20) from the corpus in fuzz/corpus/TARGET.
# Exits non-zero when a target crashes, leaks, hangs, breaks a property it
# checks or fails to build.
#   scripts/fuzz.sh [target...]
#   targets: bmp jpeg png webp settings_reader settings_writer linux_options
#   (default all)
# The JPEG, PNG and WebP targets link libjpeg-turbo, libpng and libwebp built
# from Debian's source packages (fetched by scripts/install-deps.sh) with the
# same sanitizers and coverage, so that the fuzzer is guided by the decoder's
# own branches; each is built once into build/fuzz/<library>.
# The GIF target compiles giflib's decoder files from Debian's source the
# same way; the TIFF target links the system's libtiff (not instrumented).
# FUZZ_MERGE=1 merges what a run found into fuzz/corpus/TARGET, keeping only
# inputs that add coverage (commit the small ones).
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT="$ROOT/build/fuzz"
SECONDS_EACH=${FUZZ_SECONDS:-20}
CXX=${FUZZ_CXX:-clang++}
CC=${FUZZ_CC:-clang}
SANITIZE="-fsanitize=address,undefined -fno-sanitize-recover=undefined"
mkdir -p "$OUT"

# The instrumented decoder: C code only (no SIMD), static, built once.
JPEG_SRC=$(ls -d "$ROOT"/build/third_party/libjpeg-turbo/libjpeg-turbo-*/ 2>/dev/null | head -1 || true)
JPEG_BUILD="$OUT/libjpeg-turbo"
build_libjpeg() {
  [ -f "$JPEG_BUILD/libjpeg.a" ] && return 0
  [ -n "$JPEG_SRC" ] || { echo "libjpeg-turbo's source is missing: run scripts/install-deps.sh"; return 1; }
  echo "=== libjpeg-turbo: build with sanitizers and coverage (once)"
  cmake -S "$JPEG_SRC" -B "$JPEG_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_C_COMPILER="$CC" \
    -DCMAKE_C_FLAGS="-g -O1 $SANITIZE -fsanitize=fuzzer-no-link" \
    -DWITH_SIMD=0 -DENABLE_SHARED=0 -DENABLE_STATIC=1 -DWITH_TURBOJPEG=0 >"$OUT/libjpeg-turbo.log" 2>&1 &&
    cmake --build "$JPEG_BUILD" --target jpeg-static >>"$OUT/libjpeg-turbo.log" 2>&1 ||
    { tail -20 "$OUT/libjpeg-turbo.log"; return 1; }
}

# The same for libpng (zlib stays the system's) and libwebp with its demuxer.
PNG_SRC=$(ls -d "$ROOT"/build/third_party/libpng/libpng1.6-*/ 2>/dev/null | head -1 || true)
PNG_BUILD="$OUT/libpng"
WEBP_SRC=$(ls -d "$ROOT"/build/third_party/libwebp/libwebp-*/ 2>/dev/null | head -1 || true)
WEBP_BUILD="$OUT/libwebp"
# build_library NAME SOURCE BUILD OUTPUT TARGET... -- CMAKE-OPTIONS...
build_library() {
  local name=$1 src=$2 build=$3 output=$4
  shift 4
  local targets=()
  while [ "$1" != -- ]; do targets+=("$1"); shift; done
  shift
  [ -f "$build/$output" ] && return 0
  [ -n "$src" ] || { echo "$name's source is missing: run scripts/install-deps.sh"; return 1; }
  echo "=== $name: build with sanitizers and coverage (once)"
  cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_C_COMPILER="$CC" \
    -DCMAKE_C_FLAGS="-g -O1 $SANITIZE -fsanitize=fuzzer-no-link" "$@" >"$OUT/$name.log" 2>&1 &&
    cmake --build "$build" --target "${targets[@]}" >>"$OUT/$name.log" 2>&1 ||
    { tail -20 "$OUT/$name.log"; return 1; }
}
build_libpng() {
  build_library libpng "$PNG_SRC" "$PNG_BUILD" libpng16.a png_static -- \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_HARDWARE_OPTIMIZATIONS=OFF -DPNG_EXECUTABLES=OFF
}
build_libwebp() {
  build_library libwebp "$WEBP_SRC" "$WEBP_BUILD" libwebpdemux.a webp webpdemux -- \
    -DWEBP_ENABLE_SIMD=OFF -DWEBP_USE_THREAD=OFF -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF \
    -DWEBP_BUILD_DWEBP=OFF -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF \
    -DWEBP_BUILD_WEBPINFO=OFF -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF -DWEBP_BUILD_LIBWEBPMUX=OFF
}
# giflib's decoder, instrumented: a handful of C files, compiled with the target.
GIF_SRC=$(ls -d "$ROOT"/build/third_party/giflib/giflib-*/ 2>/dev/null | head -1 || true)
build_giflib() {
  [ -f "$OUT/giflib/libgif.a" ] && return 0
  [ -n "$GIF_SRC" ] || { echo "giflib's source is missing: run scripts/install-deps.sh"; return 1; }
  echo "=== giflib: build with sanitizers and coverage (once)"
  mkdir -p "$OUT/giflib"
  for f in dgif_lib gif_err gif_hash gifalloc openbsd-reallocarray; do
    "$CC" -g -O1 $SANITIZE -fsanitize=fuzzer-no-link -c "$GIF_SRC/$f.c" -I"$GIF_SRC" -o "$OUT/giflib/$f.o" || return 1
  done
  ar rcs "$OUT/giflib/libgif.a" "$OUT"/giflib/*.o
}

FLAGS=(-std=c++17 -g -O1 $SANITIZE -fsanitize=fuzzer -I"$ROOT/show" -I"$ROOT/show/photos" -I"$ROOT/startup")
STARTUP=("$ROOT/startup/settings_file.cpp" "$ROOT/startup/numeric.cpp" "$ROOT/startup/paths.cpp" "$ROOT/startup/paths_posix.cpp"
         "$ROOT/startup/command_line.cpp")
PHOTO=("$ROOT/show/photos/picture_sampling.cpp" "$ROOT/show/photos/byte_source.cpp")
declare -A SOURCES=(
  [bmp]="$ROOT/fuzz/bmp_fuzzer.cpp $ROOT/show/photos/bmp_reader.cpp $ROOT/show/photo_fit.cpp ${PHOTO[*]}"
  [jpeg]="$ROOT/fuzz/jpeg_fuzzer.cpp $ROOT/show/photos/jpeg_header.cpp $ROOT/show/photos/jpeg_decoder_libjpeg.cpp $ROOT/show/photos/picture_file.cpp $ROOT/show/photos/picture_kind.cpp $ROOT/show/photos/picture_decoders_posix.cpp $ROOT/show/photos/bmp_reader.cpp ${PHOTO[*]}"
  [png]="$ROOT/fuzz/png_fuzzer.cpp $ROOT/show/photos/png_decoder_libpng.cpp $ROOT/show/photos/jpeg_header.cpp ${PHOTO[*]}"
  [webp]="$ROOT/fuzz/webp_fuzzer.cpp $ROOT/show/photos/webp_decoder_libwebp.cpp $ROOT/show/photos/jpeg_header.cpp ${PHOTO[*]}"
  [gif]="$ROOT/fuzz/gif_fuzzer.cpp $ROOT/show/photos/gif_decoder_giflib.cpp ${PHOTO[*]}"
  [tiff]="$ROOT/fuzz/tiff_fuzzer.cpp $ROOT/show/photos/tiff_decoder_libtiff.cpp ${PHOTO[*]}"
  [settings_reader]="$ROOT/fuzz/settings_reader_fuzzer.cpp"
  [settings_writer]="$ROOT/fuzz/settings_writer_fuzzer.cpp"
  [linux_options]="$ROOT/fuzz/linux_options_fuzzer.cpp $ROOT/startup/linux_options.cpp"
)

targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(bmp jpeg png webp gif tiff settings_reader settings_writer linux_options)

status=0
for t in "${targets[@]}"; do
  echo "=== $t: build"
  extra=()
  if [ "$t" = jpeg ]; then
    build_libjpeg || { status=1; continue; }
    extra=(-I"$JPEG_BUILD" -I"$JPEG_SRC" "$JPEG_BUILD/libjpeg.a" -lexif)
  elif [ "$t" = png ]; then
    build_libpng || { status=1; continue; }
    extra=(-I"$PNG_BUILD" -I"$PNG_SRC" "$PNG_BUILD/libpng16.a" -lz -lm)
  elif [ "$t" = webp ]; then
    build_libwebp || { status=1; continue; }
    extra=(-I"$WEBP_SRC/src" "$WEBP_BUILD/libwebpdemux.a" "$WEBP_BUILD/libwebp.a" -lm)
  elif [ "$t" = gif ]; then
    build_giflib || { status=1; continue; }
    extra=(-I"$GIF_SRC" "$OUT/giflib/libgif.a")
  elif [ "$t" = tiff ]; then
    extra=(-ltiff)
  fi
  # shellcheck disable=SC2086
  if ! "$CXX" "${FLAGS[@]}" ${SOURCES[$t]} "${STARTUP[@]}" "${extra[@]}" -o "$OUT/${t}_fuzzer"; then
    echo "=== $t: FAILED to build"
    status=1
    continue
  fi
  # Work in a copy, so the committed corpus changes only through FUZZ_MERGE.
  work="$OUT/corpus-$t"
  mkdir -p "$work" "$ROOT/fuzz/corpus/$t"
  cp -n "$ROOT/fuzz/corpus/$t/"* "$work/" 2>/dev/null || true
  echo "=== $t: run ${SECONDS_EACH}s"
  if ! (cd "$OUT" && "./${t}_fuzzer" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
          -max_len=65536 -print_final_stats=1 "$work" >"$OUT/$t.log" 2>&1); then
    echo "=== $t: FAILED (see $OUT/$t.log)"
    tail -40 "$OUT/$t.log"
    status=1
  else
    grep -E "^#[0-9]+[[:space:]]+DONE" "$OUT/$t.log" | tail -1 || true
    echo "=== $t: ok"
    if [ "${FUZZ_MERGE:-0}" = 1 ]; then
      (cd "$OUT" && "./${t}_fuzzer" -merge=1 -max_len=65536 "$ROOT/fuzz/corpus/$t" "$work" >"$OUT/$t-merge.log" 2>&1) &&
        echo "=== $t: corpus now $(ls "$ROOT/fuzz/corpus/$t" | wc -l) files"
    fi
  fi
done
exit $status
