# Script mode (cmake -P): writes OUTPUT, a C++ source defining
# zmt::FUNCTION() that returns the texts of FILES (.po catalogues).
set(body "")
set(names "")
set(index 0)
foreach(file IN LISTS FILES)
  file(READ ${file} text)
  # The programs need the entries and their flags ("#, fuzzy"); the
  # translators' comments, source references and obsolete entries stay in
  # the file, out of the programs' memory.
  string(REGEX REPLACE "\n#[:.|~ ][^\n]*" "" text "${text}")
  # A raw string literal holds the file as it is; its closing mark must not
  # occur in a catalogue, which no translation has reason to contain.
  string(FIND "${text}" ")zmtcatalogue\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${file} contains the text )zmtcatalogue\" that ends the built-in copy")
  endif()
  string(APPEND body "const char kCatalogue${index}[] = R\"zmtcatalogue(${text})zmtcatalogue\";\n")
  string(APPEND names "kCatalogue${index}, ")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUTPUT}.new
"// Made by the build from the catalogues (cmake/embed_catalogues.cmake); not to be edited.
#include \"lang/catalogue.h\"

namespace zmt {
namespace {
${body}const char* const kCatalogues[] = {${names}nullptr};
} // namespace

BuiltInCatalogues ${FUNCTION}() { return {kCatalogues, ${index}}; }

} // namespace zmt
")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
