# Checks the layer rule on the sources (run by CTest as `layer_rule`):
#
#   cmake -DKVL_SOURCE_DIR=<repository root> -P cmake/CheckLayers.cmake
#
# Each unit folder kvl/<unit>/ declares its dependencies in its
# CMakeLists.txt (`kvl_add_unit(NAME <unit> ... DEPS <units...>)`). A file of
# the unit may include
#   - headers of its own unit,
#   - public headers of the units it depends on, directly or through them,
# and never a header inside another unit's internal/ folder. A public header
# (one outside every internal/ folder) never includes an internal header,
# since only public headers are installed. Every violation is listed, and the
# check fails if there is any.

cmake_policy(VERSION 3.25)

if(NOT KVL_SOURCE_DIR)
  message(FATAL_ERROR "CheckLayers: set KVL_SOURCE_DIR to the repository root")
endif()

file(GLOB unit_lists RELATIVE ${KVL_SOURCE_DIR}/kvl ${KVL_SOURCE_DIR}/kvl/*/CMakeLists.txt)
set(units "")
foreach(list_file IN LISTS unit_lists)
  get_filename_component(unit ${list_file} DIRECTORY)
  file(READ ${KVL_SOURCE_DIR}/kvl/${list_file} text)
  string(REGEX REPLACE "\n" " " text "${text}")
  if(NOT text MATCHES "kvl_add_unit\\(([^)]*)\\)")
    message(FATAL_ERROR "kvl/${list_file} declares no unit with kvl_add_unit")
  endif()
  set(args "${CMAKE_MATCH_1}")
  set(deps_${unit} "")
  if(args MATCHES "DEPS +([a-z_ ]+)")
    string(REGEX REPLACE " +" ";" deps "${CMAKE_MATCH_1}")
    list(REMOVE_ITEM deps "")
    set(deps_${unit} ${deps})
  endif()
  list(APPEND units ${unit})
endforeach()

# Transitive closure of the dependencies: what each unit may include.
foreach(unit IN LISTS units)
  set(todo ${deps_${unit}})
  set(closure "")
  while(todo)
    list(POP_FRONT todo dep)
    if(NOT dep IN_LIST units)
      message(FATAL_ERROR "unit ${unit} depends on ${dep}, which no kvl/${dep}/CMakeLists.txt declares")
    endif()
    if(NOT dep IN_LIST closure)
      list(APPEND closure ${dep})
      list(APPEND todo ${deps_${dep}})
    endif()
  endwhile()
  set(allowed_${unit} ${unit} ${closure})
endforeach()

set(violations "")
foreach(unit IN LISTS units)
  file(GLOB_RECURSE sources RELATIVE ${KVL_SOURCE_DIR}
       ${KVL_SOURCE_DIR}/kvl/${unit}/*.h ${KVL_SOURCE_DIR}/kvl/${unit}/*.cpp)
  foreach(source IN LISTS sources)
    set(is_public_header FALSE)
    if(source MATCHES "\\.h$" AND NOT source MATCHES "/internal/")
      set(is_public_header TRUE)
    endif()
    file(STRINGS ${KVL_SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"kvl/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE ".*\"(kvl/[^\"]+)\".*" "\\1" target "${line}")
      if(NOT target MATCHES "^kvl/([a-z_]+)/")
        continue()  # kvl/kvl.h, the umbrella, is for hosts
      endif()
      set(target_unit ${CMAKE_MATCH_1})
      if(NOT target_unit IN_LIST allowed_${unit})
        list(APPEND violations "${source}: includes ${target}, but unit ${unit} does not depend on ${target_unit}")
      elseif(target MATCHES "/internal/" AND NOT target_unit STREQUAL unit)
        list(APPEND violations "${source}: includes ${target}, an internal header of unit ${target_unit}")
      elseif(target MATCHES "/internal/" AND is_public_header)
        list(APPEND violations "${source}: a public header includes the internal header ${target}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  list(LENGTH violations count)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "layer rule: ${count} violation(s)\n  ${text}")
endif()
list(LENGTH units count)
message(STATUS "layer rule: ${count} units, no violation")
