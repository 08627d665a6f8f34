# The locales the tests run under, built from the system's locale sources into
# the build tree so that no system-wide locale has to be installed.
set(PAGEINDEX_LOCALE_DIR ${CMAKE_BINARY_DIR}/locale)
set(test_locales)
foreach(name C de_DE sv_SE en_US ja_JP)
  add_custom_command(OUTPUT ${PAGEINDEX_LOCALE_DIR}/${name}.UTF-8/LC_CTYPE
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PAGEINDEX_LOCALE_DIR}
    COMMAND localedef --no-archive -i ${name} -f UTF-8 ${PAGEINDEX_LOCALE_DIR}/${name}.UTF-8
    VERBATIM)
  list(APPEND test_locales ${PAGEINDEX_LOCALE_DIR}/${name}.UTF-8/LC_CTYPE)
endforeach()
add_custom_command(OUTPUT ${PAGEINDEX_LOCALE_DIR}/xx_NOSEP.UTF-8/LC_CTYPE
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PAGEINDEX_LOCALE_DIR}
  COMMAND localedef --no-archive -i ${CMAKE_SOURCE_DIR}/tests/locales/xx_NOSEP -f UTF-8
          ${PAGEINDEX_LOCALE_DIR}/xx_NOSEP.UTF-8
  DEPENDS ${CMAKE_SOURCE_DIR}/tests/locales/xx_NOSEP
  VERBATIM)
list(APPEND test_locales ${PAGEINDEX_LOCALE_DIR}/xx_NOSEP.UTF-8/LC_CTYPE)
add_custom_target(test_locales ALL DEPENDS ${test_locales})

