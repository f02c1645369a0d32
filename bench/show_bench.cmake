# The show's benchmarks (scripts/bench-show.sh): the bare window-and-context
# program that gives the floor, and the show built with a frame observer.
add_executable(bare_show_x11 ${CMAKE_CURRENT_LIST_DIR}/bare_show_x11.cpp)
target_include_directories(bare_show_x11 PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(bare_show_x11 PRIVATE sorvane_show_window)

add_executable(sorvane_bench ${CMAKE_CURRENT_LIST_DIR}/show_bench_x11.cpp)
target_include_directories(sorvane_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(sorvane_bench PRIVATE ${SORVANE_PROGRAM_LIBS})
