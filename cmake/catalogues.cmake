# The language catalogues (translations/*.po, gettext's format) built into the
# programs: every .po file there is a language the programs offer, with no
# other change. The .po texts become C++ string literals in a generated
# source, read at run time (src/lang/catalogue.cpp); no tool beyond CMake is
# needed to build them.
#
# zmt_catalogue_library(NAME FUNCTION PO_FILES...) makes a static library
# NAME defining zmt::FUNCTION() with the given catalogues.

set(ZMT_EMBED_CATALOGUES_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/embed_catalogues.cmake)

function(zmt_catalogue_library name function)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${name}.cpp)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${output} -DFUNCTION=${function} "-DFILES=${ARGN}"
            -P ${ZMT_EMBED_CATALOGUES_SCRIPT}
    DEPENDS ${ARGN} ${ZMT_EMBED_CATALOGUES_SCRIPT}
    COMMENT "Building in the catalogues of ${name}"
    VERBATIM)
  add_library(${name} STATIC ${output})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
endfunction()
