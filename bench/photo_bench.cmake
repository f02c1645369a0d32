# The photo square's benchmark: a generated 6000 x 4000 JPEG through
# PreparePhotoSquare, beside a plain full decode by libjpeg-turbo; generated
# PNG, WebP, GIF, TIFF, HEIC and AVIF photographs read to the square beside
# libpng's, libwebp's, giflib's, libtiff's and libheif's full decodes.
find_package(benchmark REQUIRED)
find_package(JPEG REQUIRED)
find_package(GIF REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(LIBTIFF REQUIRED IMPORTED_TARGET libtiff-4>=4.5)
pkg_check_modules(BENCH_CODECS REQUIRED IMPORTED_TARGET libpng libwebp libheif)
add_executable(photo_bench ${CMAKE_CURRENT_SOURCE_DIR}/photo_bench.cpp)
target_link_libraries(photo_bench PRIVATE sorvane_photo JPEG::JPEG PkgConfig::BENCH_CODECS GIF::GIF PkgConfig::LIBTIFF
                                          benchmark::benchmark)

# The photo library's walk of 100,000 files in nested folders.
add_executable(photo_library_bench ${CMAKE_CURRENT_SOURCE_DIR}/photo_library_bench.cpp)
target_link_libraries(photo_library_bench PRIVATE sorvane_photo)
target_include_directories(photo_library_bench PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
