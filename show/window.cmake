# The show's and the preview's windows, and the Linux command line.
#   sorvane_show_loop     portable: tilt sweep, frame pacing, Linux options,
#                         the -fps numbers
#   sorvane_show_window   platform: the saver window and the preview window
#                         (Windows: saver_window_win32, preview_window_win32;
#                          Linux: saver_window_x11, preview_x11)
# The photo square, texture, scene and rendering context come from photo.cmake
# and scene.cmake, included before this file; their libraries are taken from
# SORVANE_PROGRAM_LIBS as those files left it.

get_property(sorvane_show_parts GLOBAL PROPERTY SORVANE_PROGRAM_LIBS)
list(REMOVE_ITEM sorvane_show_parts sorvane_startup_platform sorvane_startup)

add_library(sorvane_show_loop STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/saver_loop.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/frame_rate_meter.cpp
  ${PROJECT_SOURCE_DIR}/startup/linux_options.cpp)
target_include_directories(sorvane_show_loop PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/startup)
target_link_libraries(sorvane_show_loop PUBLIC sorvane_startup)

if(WIN32)
  add_library(sorvane_show_window STATIC
    ${CMAKE_CURRENT_SOURCE_DIR}/saver_window_win32.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/frame_timer_win32.cpp
    ${PROJECT_SOURCE_DIR}/startup/preview_window_win32.cpp)
  target_link_libraries(sorvane_show_window PUBLIC
    sorvane_show_loop ${sorvane_show_parts} sorvane_resources sorvane_startup_platform
    opengl32 gdi32 user32 winmm)
else()
  find_package(X11 REQUIRED)
  find_package(OpenGL REQUIRED COMPONENTS OpenGL GLX)
  add_library(sorvane_show_window STATIC
    ${CMAKE_CURRENT_SOURCE_DIR}/saver_window_x11.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/frame_rate_overlay_x11.cpp
    ${PROJECT_SOURCE_DIR}/startup/preview_x11.cpp)
  target_link_libraries(sorvane_show_window PUBLIC
    sorvane_show_loop ${sorvane_show_parts} sorvane_resources sorvane_startup_platform
    X11::X11 X11::Xrandr X11::Xinerama OpenGL::GLX OpenGL::GL)
  # XScreenSaver's settings window reads this file to offer the options.
  install(FILES ${PROJECT_SOURCE_DIR}/startup/sorvane.xml DESTINATION share/xscreensaver/config)
endif()
target_include_directories(sorvane_show_window PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/startup)

# The programs link the windows; they pull in everything the show needs.
set_property(GLOBAL APPEND PROPERTY SORVANE_PROGRAM_LIBS sorvane_show_window sorvane_show_loop sorvane_resources)
