# The photo square's benchmark: a generated 6000 x 4000 JPEG through
# PreparePhotoSquare, beside a plain full decode by libjpeg-turbo; generated
# PNG and WebP photographs read to the square beside libpng's and libwebp's
# full decodes.
find_package(benchmark REQUIRED)
find_package(JPEG REQUIRED)
add_executable(photo_bench ${CMAKE_CURRENT_SOURCE_DIR}/photo_bench.cpp)
find_package(PkgConfig REQUIRED)
pkg_check_modules(BENCH_CODECS REQUIRED IMPORTED_TARGET libpng libwebp)
target_link_libraries(photo_bench PRIVATE sorvane_photo JPEG::JPEG PkgConfig::BENCH_CODECS benchmark::benchmark)
