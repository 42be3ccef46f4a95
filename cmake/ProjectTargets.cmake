# Every folder of the layout is one static library built from the *.cpp files
# beside its CMakeLists.txt, with one GoogleTest executable built from its
# tests/*.cpp. Globbing keeps folders independent: adding a unit never means
# editing a shared list.

find_package(PkgConfig REQUIRED)
find_package(GTest REQUIRED)
find_package(Threads REQUIRED)
include(GoogleTest)

# ccache keeps every build tree's objects in one cache outside the clone, so work trees in other
# folders and later CI runs reuse them. The four trees CI builds (plain, two sanitizers, fuzz) need
# more than ccache's default 5 GB, which otherwise evicts one tree's objects while building the next.
find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(launcher ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${PROJECT_SOURCE_DIR} CCACHE_NOHASHDIR=1
    CCACHE_MAXSIZE=16G ${CCACHE_PROGRAM})
  set(CMAKE_C_COMPILER_LAUNCHER ${launcher})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${launcher})
endif()

add_compile_options(-Wall -Wextra -Wshadow -Wnon-virtual-dtor)
# CI turns every warning into an error (scripts/test and scripts/test-sanitizers switch it on).
option(WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)
if(WARNINGS_AS_ERRORS)
  add_compile_options(-Werror)
endif()
if(SANITIZE)
  add_compile_options(-fsanitize=${SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=${SANITIZE})
endif()

# project_library(<name> LABEL <label> [DEPENDS <targets...>])
function(project_library name)
  cmake_parse_arguments(ARG "" "LABEL" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} Threads::Threads)
  set_target_properties(${name} PROPERTIES PROJECT_LABEL "${ARG_LABEL}")
endfunction()

# project_tests(<library> LABEL <label> [DEPENDS <extra targets...>])
# Builds <library>_tests from tests/*.cpp and registers every test case with CTest.
function(project_tests library)
  cmake_parse_arguments(ARG "" "LABEL" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
  if(NOT sources OR NOT TARGET ${library})
    return()
  endif()
  add_executable(${library}_tests ${sources})
  target_link_libraries(${library}_tests PRIVATE ${library} ${ARG_DEPENDS} GTest::gmock GTest::gtest_main)
  # The tests of every library with windows run them on the headless backend.
  get_target_property(links ${library} LINK_LIBRARIES)
  if(library STREQUAL platform_ui OR platform_ui IN_LIST links)
    target_link_libraries(${library}_tests PRIVATE platform_backend)
  endif()
  target_compile_definitions(${library}_tests PRIVATE
    TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}/tests"
    TEST_BINARY_DIR="${CMAKE_CURRENT_BINARY_DIR}")
  gtest_discover_tests(${library}_tests
    PROPERTIES LABELS "${ARG_LABEL}"
    DISCOVERY_TIMEOUT 120
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
