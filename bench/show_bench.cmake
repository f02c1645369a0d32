# The show's start-up and frame-rate benchmark: the bare window-and-context
# program that gives the floor. scripts/bench-show.sh runs it beside sorvane.
add_executable(bare_show_x11 ${CMAKE_CURRENT_LIST_DIR}/bare_show_x11.cpp)
target_link_libraries(bare_show_x11 PRIVATE sorvane_show_window)
