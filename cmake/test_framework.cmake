# The tests need GoogleTest and FreeType. GoogleTest is the system's where it is built for
# the standard library this build uses, else it is built here from the distribution's
# sources (Debian: googletest, in /usr/src/googletest) with this build's compiler and
# flags: Debian's libgtest.a is built with libstdc++ and does not link with libc++. Without
# either, or without FreeType, the programs and the demo are built with the tests off, and
# CMake says so once. FACETOOLS_TESTS tells the rest of the build.
include(CheckCXXSourceCompiles)
set(FACETOOLS_TESTS OFF)
if(NOT BUILD_TESTING)
  return()
endif()

check_cxx_source_compiles("
#include <version>
#ifndef _LIBCPP_VERSION
#error not libc++
#endif
int main() {}" FACETOOLS_USES_LIBCXX)
set(FACETOOLS_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH
    "GoogleTest's sources, built when the system has no GoogleTest for this standard library")

if(NOT FACETOOLS_USES_LIBCXX)
  find_package(GTest QUIET)
endif()
if(NOT TARGET GTest::gtest_main AND EXISTS ${FACETOOLS_GTEST_SOURCE_DIR}/CMakeLists.txt)
  set(BUILD_GMOCK OFF CACHE BOOL "")
  set(INSTALL_GTEST OFF CACHE BOOL "")
  add_subdirectory(${FACETOOLS_GTEST_SOURCE_DIR} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  if(NOT TARGET GTest::gtest_main)  # googletest 1.11 and later name them themselves
    add_library(GTest::gtest ALIAS gtest)
    add_library(GTest::gtest_main ALIAS gtest_main)
  endif()
  set(facetools_gtest_from "built from ${FACETOOLS_GTEST_SOURCE_DIR}")
endif()
find_package(Freetype QUIET)

if(NOT TARGET GTest::gtest_main)
  message(STATUS "Tests off: no GoogleTest (Debian: libgtest-dev or googletest) for this "
                 "compiler and standard library; the programs and the demo are built")
elseif(NOT FREETYPE_FOUND)
  message(STATUS "Tests off: no FreeType (Debian: libfreetype-dev); the programs and the "
                 "demo are built")
else()
  set(FACETOOLS_TESTS ON)
  if(facetools_gtest_from)
    message(STATUS "GoogleTest ${facetools_gtest_from}")
  endif()
endif()
