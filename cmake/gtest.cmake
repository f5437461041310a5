# GoogleTest from Debian's source package, built with this tree's compiler
# (MinGW for the Windows trees, clang with sanitizers for the host tree).
set(GTEST_SRC /usr/src/googletest/googletest)
add_library(tessaro_gtest STATIC ${GTEST_SRC}/src/gtest-all.cc ${GTEST_SRC}/src/gtest_main.cc)
target_include_directories(tessaro_gtest SYSTEM PUBLIC ${GTEST_SRC}/include PRIVATE ${GTEST_SRC})
set_source_files_properties(${GTEST_SRC}/src/gtest-all.cc ${GTEST_SRC}/src/gtest_main.cc
  PROPERTIES COMPILE_OPTIONS "-w")
if(TESSARO_WINDOWS)
  target_compile_options(tessaro_gtest PRIVATE -O1)
endif()
