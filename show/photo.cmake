# The photo square and the texture loader.
#   sorvane_photo         reading photographs (photos/), the photo square, the bitmap file,
#                         ReadPhotoBitmap; no OpenGL
#   sorvane_photo_texture LoadPhotoTexture and the error report; OpenGL

add_library(sorvane_photo STATIC
  ${CMAKE_CURRENT_LIST_DIR}/photos/picture_sampling.cpp
  ${CMAKE_CURRENT_LIST_DIR}/photos/byte_source.cpp
  ${CMAKE_CURRENT_LIST_DIR}/photos/bmp_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/photos/jpeg_header.cpp
  ${CMAKE_CURRENT_LIST_DIR}/photos/jpeg_memory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/photos/picture_kind.cpp
  ${CMAKE_CURRENT_LIST_DIR}/photos/picture_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/photos/photo_library.cpp
  ${CMAKE_CURRENT_LIST_DIR}/photos/folder_photos.cpp
  ${CMAKE_CURRENT_LIST_DIR}/photo_fit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/photo_square.cpp
  ${CMAKE_CURRENT_LIST_DIR}/photo_bitmap_reader.cpp)
target_include_directories(sorvane_photo PUBLIC ${CMAKE_CURRENT_LIST_DIR} ${CMAKE_CURRENT_LIST_DIR}/photos)
find_package(Threads REQUIRED)
target_link_libraries(sorvane_photo PUBLIC sorvane_show_random sorvane_numeric sorvane_startup sorvane_resources
                                           Threads::Threads)

add_library(sorvane_photo_texture STATIC ${CMAKE_CURRENT_LIST_DIR}/photo_texture.cpp)
target_link_libraries(sorvane_photo_texture PUBLIC sorvane_photo)

if(WIN32)
  target_sources(sorvane_photo PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/photos/jpeg_decoder_wic.cpp
    ${CMAKE_CURRENT_LIST_DIR}/photos/picture_decoder_wic.cpp
    ${CMAKE_CURRENT_LIST_DIR}/photos/wic_codecs_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/photos/picture_decoders_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/photos/photo_library_win32.cpp
    ${CMAKE_CURRENT_LIST_DIR}/photo_bitmap_win32.cpp)
  target_link_libraries(sorvane_photo PUBLIC windowscodecs ole32 oleaut32 uuid)
  target_sources(sorvane_photo_texture PRIVATE ${CMAKE_CURRENT_LIST_DIR}/report_error_win32.cpp)
  target_link_libraries(sorvane_photo_texture PUBLIC opengl32 user32)
else()
  find_package(JPEG REQUIRED)
  find_package(OpenGL REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(LIBEXIF REQUIRED IMPORTED_TARGET libexif)
  pkg_check_modules(LIBPNG REQUIRED IMPORTED_TARGET libpng)
  pkg_check_modules(LIBWEBP REQUIRED IMPORTED_TARGET libwebp libwebpdemux)
  pkg_check_modules(LIBTIFF REQUIRED IMPORTED_TARGET libtiff-4>=4.5)
  find_package(GIF REQUIRED)
  pkg_check_modules(LIBHEIF REQUIRED IMPORTED_TARGET libheif)
  target_sources(sorvane_photo PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/photos/jpeg_decoder_libjpeg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/photos/png_decoder_libpng.cpp
    ${CMAKE_CURRENT_LIST_DIR}/photos/webp_decoder_libwebp.cpp
    ${CMAKE_CURRENT_LIST_DIR}/photos/gif_decoder_giflib.cpp
    ${CMAKE_CURRENT_LIST_DIR}/photos/tiff_decoder_libtiff.cpp
    ${CMAKE_CURRENT_LIST_DIR}/photos/heif_decoder_libheif.cpp
    ${CMAKE_CURRENT_LIST_DIR}/photos/picture_decoders_posix.cpp
    ${CMAKE_CURRENT_LIST_DIR}/photos/photo_library_posix.cpp
    ${CMAKE_CURRENT_LIST_DIR}/photo_bitmap_posix.cpp)
  target_link_libraries(sorvane_photo PUBLIC JPEG::JPEG PkgConfig::LIBEXIF PkgConfig::LIBPNG PkgConfig::LIBWEBP
                                             PkgConfig::LIBTIFF GIF::GIF PkgConfig::LIBHEIF)
  target_sources(sorvane_photo_texture PRIVATE ${CMAKE_CURRENT_LIST_DIR}/report_error_x11.cpp)
  target_link_libraries(sorvane_photo_texture PUBLIC OpenGL::GL)
endif()

set_property(GLOBAL APPEND PROPERTY SORVANE_PROGRAM_LIBS
  sorvane_photo_texture sorvane_photo sorvane_show_random sorvane_resources)
