# The user guide's files: the two languages and the pictures they show (read
# from their Markdown), for the program's resources and for installing.
# Reconfigures when a guide changes, so a new picture is never left out.
set(ZMT_GUIDES ${PROJECT_SOURCE_DIR}/docs/guide/guide-ru.md ${PROJECT_SOURCE_DIR}/docs/guide/guide-en.md)
set(ZMT_GUIDE_PICTURES)
foreach(guide ${ZMT_GUIDES})
  file(STRINGS ${guide} picture_lines ENCODING UTF-8 REGEX "!\\[[^]]*\\]\\(\\.\\./screenshots/")
  foreach(line ${picture_lines})
    string(REGEX MATCH "\\.\\./screenshots/([^) ]+)" _ "${line}")
    list(APPEND ZMT_GUIDE_PICTURES ${PROJECT_SOURCE_DIR}/docs/screenshots/${CMAKE_MATCH_1})
  endforeach()
endforeach()
list(REMOVE_DUPLICATES ZMT_GUIDE_PICTURES)
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ZMT_GUIDES})
