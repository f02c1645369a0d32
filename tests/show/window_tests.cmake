# Tests of the show's and the preview's windows and the Linux command line.
sorvane_add_test(show_loop_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/saver_loop_test.cpp ${CMAKE_CURRENT_LIST_DIR}/linux_options_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frame_rate_meter_test.cpp
  LIBS sorvane_show_loop)

if(WIN32)
  sorvane_add_test(show_window_win32_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/saver_window_win32_test.cpp
    LIBS sorvane_show_window)
else()
  sorvane_add_test(show_window_x11_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/window_x11_test.cpp ${CMAKE_CURRENT_LIST_DIR}/frame_rate_overlay_x11_test.cpp
    LIBS sorvane_show_window)
  target_include_directories(show_window_x11_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
endif()
