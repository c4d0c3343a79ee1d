# Writes a C++ source holding the text of a form description, so that the program
# runs without its .form file beside it.
#   cmake -DINPUT=Unit1.form -DOUTPUT=Unit1Form.cpp -DSYMBOL=Unit1FormText -DHEADER=app/Unit1.h -P EmbedForm.cmake
file(READ ${INPUT} bytes HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp
  "// Generated from ${INPUT}; do not edit.\n"
  "#include \"${HEADER}\"\n\n"
  "namespace {\nconst char text[] = {\n    ${bytes}'\\0'};\n}\n\n"
  "const char* const ${SYMBOL} = text;\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
