# The photo square's benchmark: a generated 6000 x 4000 JPEG through
# PreparePhotoSquare, beside a plain full decode by libjpeg-turbo.
find_package(benchmark REQUIRED)
find_package(JPEG REQUIRED)
add_executable(photo_bench ${CMAKE_CURRENT_SOURCE_DIR}/photo_bench.cpp)
target_link_libraries(photo_bench PRIVATE sorvane_photo JPEG::JPEG benchmark::benchmark)
