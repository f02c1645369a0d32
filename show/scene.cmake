# The scene and the rendering context.
#   sorvane_scene          portable: the 50 squares, fixed OpenGL state, viewport and projection,
#                          the swarms of further monitors and their layout
#   sorvane_render_context platform: WGL (render_context_win32.cpp) or GLX (render_context_x11.cpp)


add_library(sorvane_scene STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/scene.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/viewport.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/monitor_layout.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/swarms.cpp)
target_include_directories(sorvane_scene PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
if(WIN32)
  target_link_libraries(sorvane_scene PUBLIC sorvane_show_random glu32 opengl32)
else()
  find_package(OpenGL REQUIRED COMPONENTS OpenGL GLX)
  target_link_libraries(sorvane_scene PUBLIC sorvane_show_random OpenGL::GLU OpenGL::GL)
endif()
# The texture loader belongs to the photo part; link it when that part is built.
if(TARGET sorvane_photo_texture)
  target_link_libraries(sorvane_scene PUBLIC sorvane_photo_texture)
endif()

if(WIN32)
  add_library(sorvane_render_context STATIC ${CMAKE_CURRENT_SOURCE_DIR}/render_context_win32.cpp)
  target_link_libraries(sorvane_render_context PUBLIC sorvane_scene opengl32 gdi32 user32)
else()
  find_package(X11 REQUIRED)
  add_library(sorvane_render_context STATIC ${CMAKE_CURRENT_SOURCE_DIR}/render_context_x11.cpp)
  target_link_libraries(sorvane_render_context PUBLIC sorvane_scene OpenGL::GLX OpenGL::GL X11::X11)
endif()

set_property(GLOBAL APPEND PROPERTY SORVANE_PROGRAM_LIBS sorvane_render_context sorvane_scene sorvane_show_random)
