# A room is one folder of src/ built as one static library. Portable sources
# build in every tree; Windows sources only in the MinGW trees. Product code
# builds without exceptions: allocation failure ends the process.
#
# Rooms from the bottom up: a room may include and link only rooms below it,
# and its DEPENDS list names exactly the rooms its files include. Every file
# of a room is a configure dependency, so an include that breaks the order
# fails the next build.
set(TESSARO_ROOM_ORDER platform log config package prereq ui download core)

# Product code is built without exceptions, so nothing unwinds through it;
# the 32-bit build would still carry DWARF unwind tables, a sixth of the
# program. 64-bit code keeps its unwind data: Windows walks the stack with it.
if(TESSARO_WINDOWS AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(TESSARO_PRODUCT_OPTIONS -Os -fno-exceptions -fno-asynchronous-unwind-tables)
else()
  set(TESSARO_PRODUCT_OPTIONS -Os -fno-exceptions)
endif()

function(tessaro_check_room name depends)
  list(FIND TESSARO_ROOM_ORDER ${name} own)
  if(own EQUAL -1)
    message(FATAL_ERROR "room ${name} is not in TESSARO_ROOM_ORDER")
  endif()
  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${files})
  set(used "")
  foreach(file ${files})
    file(STRINGS ${file} includes REGEX "^#include \"[a-z_]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^#include \"([a-z_]+)/.*" "\\1" room "${line}")
      if(room STREQUAL name)
        continue()
      endif()
      list(FIND TESSARO_ROOM_ORDER ${room} other)
      if(other GREATER_EQUAL own)
        message(FATAL_ERROR "${file}: room ${name} includes ${room}, which is not below it")
      endif()
      if(NOT room IN_LIST depends)
        message(FATAL_ERROR "${file}: room ${name} includes ${room} but does not name it in DEPENDS")
      endif()
      list(APPEND used ${room})
    endforeach()
  endforeach()
  foreach(dep ${depends})
    if(NOT dep IN_LIST used)
      message(FATAL_ERROR "room ${name} names ${dep} in DEPENDS but includes nothing of it")
    endif()
  endforeach()
endfunction()

function(tessaro_room name)
  cmake_parse_arguments(ROOM "" "" "PORTABLE;WINDOWS;DEPENDS" ${ARGN})
  tessaro_check_room(${name} "${ROOM_DEPENDS}")
  set(sources ${ROOM_PORTABLE})
  if(TESSARO_WINDOWS)
    list(APPEND sources ${ROOM_WINDOWS})
  endif()
  if(sources)
    add_library(tessaro_${name} STATIC ${sources})
    target_include_directories(tessaro_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    if(TESSARO_WINDOWS)
      target_compile_options(tessaro_${name} PRIVATE ${TESSARO_PRODUCT_OPTIONS})
    endif()
  else()
    add_library(tessaro_${name} INTERFACE)
    target_include_directories(tessaro_${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
  endif()
  foreach(dep ${ROOM_DEPENDS})
    if(sources)
      target_link_libraries(tessaro_${name} PUBLIC tessaro_${dep})
    else()
      target_link_libraries(tessaro_${name} INTERFACE tessaro_${dep})
    endif()
  endforeach()
endfunction()

# One test executable per folder of tests: every *.cpp in it.
function(tessaro_test_folder name folder)
  file(GLOB test_sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  if(NOT test_sources)
    return()
  endif()
  add_executable(${name} ${test_sources})
  target_link_libraries(${name} PRIVATE ${ARGN} tessaro_gtest)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600
    ENVIRONMENT "TESSARO_BIN=${CMAKE_BINARY_DIR}/bin")
endfunction()
