# Build helpers shared by every folder of the project.
#
#   kvl_add_unit(NAME <unit> SRCS <files...> [DEPS <units...>])
#     Compiles one layer/unit folder into an object library kvl_<unit> whose
#     objects become part of the single library target `kvl`. DEPS writes the
#     dependency graph down: a unit may include only the units it lists (and
#     what those list).
#
#   kvl_add_test_program(NAME <folder> SRCS <files...>)
#     One GoogleTest program per test folder, linked to kvl and the shared
#     test support, registered with CTest test by test, each with a 60 s
#     timeout. Files named *_internal_test.cpp test internal kernels
#     directly; they are built only against the static library, since a
#     shared one exports just the public interface.

add_library(kvl_options INTERFACE)
target_compile_options(kvl_options INTERFACE
  -Wall -Wextra -Wpedantic $<$<BOOL:${KVL_WERROR}>:-Werror>)
target_include_directories(kvl_options INTERFACE
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>)

set_property(GLOBAL PROPERTY KVL_UNITS "")

function(kvl_add_unit)
  cmake_parse_arguments(U "" "NAME" "SRCS;DEPS" ${ARGN})
  if(NOT U_SRCS)
    # A unit that is all templates so far has no objects of its own.
    add_library(kvl_${U_NAME} INTERFACE)
    return()
  endif()
  add_library(kvl_${U_NAME} OBJECT ${U_SRCS})
  target_link_libraries(kvl_${U_NAME} PRIVATE kvl_options Threads::Threads)
  # Only what the public headers mark for export leaves a shared library.
  set_target_properties(kvl_${U_NAME} PROPERTIES
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  foreach(dep IN LISTS U_DEPS)
    if(NOT TARGET kvl_${dep})
      message(FATAL_ERROR "unit ${U_NAME} depends on ${dep}, which is not defined before it")
    endif()
    add_dependencies(kvl_${U_NAME} kvl_${dep})
  endforeach()
  set_property(GLOBAL APPEND PROPERTY KVL_UNITS kvl_${U_NAME})
endfunction()

function(kvl_add_test_program)
  cmake_parse_arguments(T "" "NAME" "SRCS" ${ARGN})
  if(BUILD_SHARED_LIBS)
    list(FILTER T_SRCS EXCLUDE REGEX "_internal_test\\.cpp$")
  endif()
  add_executable(kvl_${T_NAME}_tests ${T_SRCS})
  target_link_libraries(kvl_${T_NAME}_tests PRIVATE
    kvl kvl_options kvl_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(kvl_${T_NAME}_tests
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS ${T_NAME} TIMEOUT 60
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
