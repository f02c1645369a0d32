# GoogleTest for both builds. Natively it is Debian's libgtest-dev; for the
# Windows build it is compiled from the sources that libgtest-dev ships, with the
# MinGW toolchain, into this build tree.
if(WIN32)
  if(NOT TARGET gtest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  endif()
  set(SORVANE_GTEST gtest gtest_main)
else()
  find_package(GTest REQUIRED)
  set(SORVANE_GTEST GTest::gtest GTest::gtest_main)
endif()
include(GoogleTest)

# sorvane_add_test(NAME sources... [LIBS libs...] [WINE_GUI])
# One test program. Natively every case becomes its own CTest test; under Wine
# the program is one CTest test (each Wine start costs about a second).
function(sorvane_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${SORVANE_GTEST})
  if(WIN32)
    target_link_options(${name} PRIVATE ${SORVANE_STATIC_LINK})
    add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:Z:${CMAKE_BINARY_DIR}/test-reports/${name}.xml)
    # Wine sees the build tree through its Z: drive.
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
  endif()
endfunction()

# sorvane_add_dpi_runs(NAME FILTER gtest-filter DPIS dpi...)
# Runs the Windows test program NAME once more at each display scaling, in a
# Wine prefix whose LogPixels is that DPI (scripts/wine-dpi.sh), with only the
# cases that FILTER selects. Each run is its own CTest test, NAME_dpiDPI.
function(sorvane_add_dpi_runs name)
  cmake_parse_arguments(T "" "FILTER" "DPIS" ${ARGN})
  if(NOT WIN32)
    return()
  endif()
  foreach(dpi ${T_DPIS})
    add_test(NAME ${name}_dpi${dpi}
      COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-dpi.sh ${dpi} $<TARGET_FILE:${name}> --gtest_filter=${T_FILTER}
              --gtest_output=xml:Z:${CMAKE_BINARY_DIR}/test-reports/${name}_dpi${dpi}.xml)
    set_tests_properties(${name}_dpi${dpi} PROPERTIES TIMEOUT 300)
  endforeach()
endfunction()
