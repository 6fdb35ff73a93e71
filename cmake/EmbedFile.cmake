# cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P EmbedFile.cmake
# Writes a C++ source that holds INPUT's bytes as `SYMBOL` and its size as
# `SYMBOLSize`, so that a binary file travels inside the program.
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE "${OUTPUT}"
  "// Generated from ${INPUT}; do not edit.\n"
  "#include <cstddef>\n#include <cstdint>\n"
  "extern const uint8_t ${SYMBOL}[] = {${bytes}};\n"
  "extern const size_t ${SYMBOL}Size = sizeof ${SYMBOL};\n")
