# A room is one folder of src/ built as one static library. Portable sources
# build in every tree; Windows sources only in the MinGW trees. Product code
# builds without exceptions: allocation failure ends the process. Caches
# filled on first use are filled before any second thread exists, so their
# initialisation needs no lock (which would link a threading library).
function(tessaro_room name)
  cmake_parse_arguments(ROOM "" "" "PORTABLE;WINDOWS;DEPENDS" ${ARGN})
  set(sources ${ROOM_PORTABLE})
  if(TESSARO_WINDOWS)
    list(APPEND sources ${ROOM_WINDOWS})
  endif()
  if(sources)
    add_library(tessaro_${name} STATIC ${sources})
    target_include_directories(tessaro_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    if(TESSARO_WINDOWS)
      target_compile_options(tessaro_${name} PRIVATE -Os -fno-exceptions -fno-threadsafe-statics)
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
    ENVIRONMENT "TESSARO_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data;TESSARO_BIN=${CMAKE_BINARY_DIR}/bin")
endfunction()
