# Tests of the photo square, the picture readers and the texture bitmap
# reader. The small test pictures of data/ are compiled into the test program,
# so the Windows build under Wine needs no file from this tree.
set(PHOTO_TEST_PICTURES
  baseline.jpg    kTestBaselineJpeg
  progressive.jpg kTestProgressiveJpeg
  gray.jpg        kTestGrayJpeg
  cmyk.jpg        kTestCmykJpeg
  png-rgb8.png         kTestPngRgb8Png
  png-rgb16.png        kTestPngRgb16Png
  png-palette.png      kTestPngPalettePng
  png-interlaced.png   kTestPngInterlacedPng
  png-grey16.png       kTestPngGrey16Png
  png-rgba.png         kTestPngRgbaPng
  png-palette-trns.png kTestPngPaletteTrnsPng
  png-exif6.png        kTestPngExif6Png
  webp-lossy.webp      kTestWebpLossyWebp
  webp-lossless.webp   kTestWebpLosslessWebp
  webp-alpha.webp      kTestWebpAlphaWebp
  webp-exif8.webp      kTestWebpExif8Webp
  gif-plain.gif         kTestGifPlain
  gif-interlaced.gif    kTestGifInterlaced
  gif-local-map.gif     kTestGifLocalMap
  gif-transparent.gif   kTestGifTransparent
  gif-small-frame.gif   kTestGifSmallFrame
  tiff-rgb8.tif         kTestTiffRgb8
  tiff-rgb16.tif        kTestTiffRgb16
  tiff-grey8.tif        kTestTiffGrey8
  tiff-palette2.tif     kTestTiffPalette2
  tiff-palette8.tif     kTestTiffPalette8
  tiff-alpha.tif        kTestTiffAlpha
  tiff-tiled.tif        kTestTiffTiled
  tiff-oriented.tif     kTestTiffOriented
  heif-quarters.heic kTestHeifQuartersHeic
  heif-quarters.avif kTestHeifQuartersAvif
  heif-turned.heic   kTestHeifTurnedHeic
  heif-10bit.heic    kTestHeif10BitHeic
  heif-alpha.heic    kTestHeifAlphaHeic)
if(WIN32)
  list(APPEND PHOTO_TEST_PICTURES wic-icon.ico kTestWicIconIco)
endif()
sorvane_embed_files(photo_test_embedded ${CMAKE_CURRENT_LIST_DIR}/data ${PHOTO_TEST_PICTURES})

set(photo_test_sources
  ${CMAKE_CURRENT_LIST_DIR}/photo_test_pictures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/photos/picture_file_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/photos/picture_orientation_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/photos/png_webp_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/photos/gif_tiff_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/photos/photo_library_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/photo_square_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/photo_bitmap_reader_test.cpp
  ${photo_test_embedded})
if(NOT WIN32)
  list(APPEND photo_test_sources ${CMAKE_CURRENT_LIST_DIR}/photo_bitmap_posix_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/photos/heif_test.cpp)
else()
  list(APPEND photo_test_sources ${CMAKE_CURRENT_LIST_DIR}/photos/picture_decoder_wic_test.cpp)
endif()

sorvane_add_test(photo_tests SOURCES ${photo_test_sources} LIBS sorvane_photo)
target_include_directories(photo_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR})

if(WIN32)
  sorvane_add_test(report_error_win32_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/report_error_win32_test.cpp
    LIBS sorvane_photo_texture)
endif()
