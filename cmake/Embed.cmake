# sorvane_embed_files(OUTVAR FOLDER file1 symbol1 [file2 symbol2 ...])
# Turns each FOLDER/file into a generated C++ source holding its bytes as
# `symbol` and `symbolSize` (namespace sorvane); the sources go into OUTVAR.
function(sorvane_embed_files outVar folder)
  set(pairs ${ARGN})
  set(generated)
  list(LENGTH pairs count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET pairs ${i} file)
    list(GET pairs ${j} symbol)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/embedded_${symbol}.cpp)
    add_custom_command(
      OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -DINPUT=${folder}/${file} -DOUTPUT=${out}
              -DSYMBOL=${symbol} -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
      DEPENDS ${folder}/${file} ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
      COMMENT "Embedding ${file}")
    list(APPEND generated ${out})
  endforeach()
  set(${outVar} ${generated} PARENT_SCOPE)
endfunction()
