# The Windows show built with a frame observer (scripts/bench-show.sh runs it
# under Wine): the frame rate, steps per second and the spread of the frame
# intervals of the Windows frame loop.
add_executable(Sorvane_bench ${CMAKE_CURRENT_LIST_DIR}/show_bench_win32.cpp)
target_include_directories(Sorvane_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_options(Sorvane_bench PRIVATE ${SORVANE_STATIC_LINK})
target_link_libraries(Sorvane_bench PRIVATE ${SORVANE_PROGRAM_LIBS})
