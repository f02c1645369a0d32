# The photo square's benchmark: a generated 6000 x 4000 JPEG through
# PreparePhotoSquare, beside a plain full decode by libjpeg-turbo; the same
# for a HEIC and an AVIF beside libheif's full decode.
find_package(benchmark REQUIRED)
find_package(JPEG REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBHEIF REQUIRED IMPORTED_TARGET libheif)
add_executable(photo_bench ${CMAKE_CURRENT_SOURCE_DIR}/photo_bench.cpp)
target_link_libraries(photo_bench PRIVATE sorvane_photo JPEG::JPEG PkgConfig::LIBHEIF benchmark::benchmark)
