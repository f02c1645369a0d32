# The Windows show built with a frame observer (scripts/bench-show.sh runs it
# under Wine): the frame rate, steps per second and the spread of the frame
# intervals of the Windows frame loop, and its CPU with the display on, on
# battery and off.
add_executable(Sorvane_bench ${CMAKE_CURRENT_LIST_DIR}/show_bench_win32.cpp)
target_include_directories(Sorvane_bench PRIVATE ${CMAKE_CURRENT_LIST_DIR})
target_link_options(Sorvane_bench PRIVATE ${SORVANE_STATIC_LINK})
target_link_libraries(Sorvane_bench PRIVATE ${SORVANE_PROGRAM_LIBS})

# The photo square and the dialog's sample of one very large JPEG: time and
# peak memory under Wine.
add_executable(photo_bench_win32 ${CMAKE_CURRENT_LIST_DIR}/photo_bench_win32.cpp)
target_link_options(photo_bench_win32 PRIVATE -municode ${SORVANE_STATIC_LINK})
target_link_libraries(photo_bench_win32 PRIVATE sorvane_photo psapi)
