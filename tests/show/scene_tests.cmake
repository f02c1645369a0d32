# Tests of the scene and the rendering context: the recorded call sequence and
# arithmetic in both builds, real pixels through GLX natively and through WGL
# under Wine.

# The texture loader comes from the photo part; while that part is not in the
# tree, a test double stands in for it.
set(SCENE_TEXTURE_DOUBLE)
if(NOT TARGET sorvane_photo_texture)
  set(SCENE_TEXTURE_DOUBLE photo_texture_double.cpp)
endif()

sorvane_add_test(scene_tests
  SOURCES scene_test.cpp swarms_test.cpp ${SCENE_TEXTURE_DOUBLE}
  LIBS sorvane_scene)

if(WIN32)
  sorvane_add_test(render_context_win32_tests
    SOURCES render_context_win32_test.cpp ${SCENE_TEXTURE_DOUBLE}
    LIBS sorvane_render_context)
  target_include_directories(render_context_win32_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
else()
  sorvane_add_test(scene_pixels_x11_tests
    SOURCES scene_pixels_x11_test.cpp ${SCENE_TEXTURE_DOUBLE}
    LIBS sorvane_render_context)
  target_include_directories(scene_pixels_x11_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
endif()
