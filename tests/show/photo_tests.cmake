# Tests of the photo square, the picture readers and the texture bitmap
# reader. The small JPEG pictures of data/ are compiled into the test program,
# so the Windows build under Wine needs no file from this tree.
set(PHOTO_TEST_PICTURES
  baseline.jpg    kTestBaselineJpeg
  progressive.jpg kTestProgressiveJpeg
  gray.jpg        kTestGrayJpeg
  cmyk.jpg        kTestCmykJpeg)
set(photo_test_embedded)
list(LENGTH PHOTO_TEST_PICTURES count)
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET PHOTO_TEST_PICTURES ${i} file)
  list(GET PHOTO_TEST_PICTURES ${j} symbol)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/embedded_${symbol}.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${CMAKE_CURRENT_LIST_DIR}/data/${file} -DOUTPUT=${out}
            -DSYMBOL=${symbol} -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/data/${file} ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake)
  list(APPEND photo_test_embedded ${out})
endforeach()

set(photo_test_sources
  ${CMAKE_CURRENT_LIST_DIR}/photo_test_pictures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_file_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/photo_square_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/photo_bitmap_reader_test.cpp
  ${photo_test_embedded})
if(NOT WIN32)
  list(APPEND photo_test_sources ${CMAKE_CURRENT_LIST_DIR}/photo_bitmap_posix_test.cpp)
endif()

sorvane_add_test(photo_tests SOURCES ${photo_test_sources} LIBS sorvane_photo)
target_include_directories(photo_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR})
