# The release version lives in VERSION at the top of the tree, and nowhere
# else: both programs' version resources and the checker's --version read
# it through the generated tessaro_version.h.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/VERSION)
file(STRINGS ${CMAKE_SOURCE_DIR}/VERSION TESSARO_VERSION LIMIT_COUNT 1)
if(NOT TESSARO_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "VERSION must hold MAJOR.MINOR.PATCH, not '${TESSARO_VERSION}'")
endif()
set(TESSARO_VERSION_MAJOR ${CMAKE_MATCH_1})
set(TESSARO_VERSION_MINOR ${CMAKE_MATCH_2})
set(TESSARO_VERSION_PATCH ${CMAKE_MATCH_3})
set(TESSARO_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/cmake/tessaro_version.h.in ${TESSARO_GENERATED_DIR}/tessaro_version.h @ONLY)
