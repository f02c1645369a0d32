# Turns one binary file into a C++ source that holds its bytes.
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P EmbedFile.cmake
file(READ "${INPUT}" hex HEX)
# Only the file's name: the generated source says nothing of where the tree is.
get_filename_component(name "${INPUT}" NAME)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){24})" "\\1\n  " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${name}; do not edit.\n"
  "#include <cstddef>\n"
  "namespace sorvane {\n"
  "extern const unsigned char ${SYMBOL}[] = {\n  ${bytes}\n};\n"
  "extern const std::size_t ${SYMBOL}Size = ${size};\n"
  "}  // namespace sorvane\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
