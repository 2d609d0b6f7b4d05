# Checks that the product's sources include only their own folder and the folders listed for it
# in layers.cmake, so that no code reaches up a layer. Run as a script:
#
#   cmake -DLOOKOUT_SOURCE_DIR=<tree> [-DLOOKOUT_STAMP=<file>] -P check_layers.cmake
#
# Fails with one line per wrong include; otherwise touches the stamp file, if one is named.
#
# Both quoted and angle-bracket includes count, whatever their case or slashes, and a path
# that starts with "." or names a file beside the including one is taken relative to it, so
# that "../app/records.h" is caught as well as "app/records.h".
cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/layers.cmake)

if(NOT LOOKOUT_SOURCE_DIR)
  message(FATAL_ERROR "check_layers.cmake: set LOOKOUT_SOURCE_DIR to the tree to check")
endif()
get_filename_component(root "${LOOKOUT_SOURCE_DIR}" ABSOLUTE)

# The product folder that an include names, or empty when it names none (a system header).
# A bare file name found beside the including file names that file's own folder.
function(included_layer file path out)
  string(REPLACE "\\" "/" path "${path}")
  get_filename_component(dir "${file}" DIRECTORY)
  if(path MATCHES "^\\." OR EXISTS "${dir}/${path}")
    get_filename_component(target "${dir}/${path}" ABSOLUTE)
    file(RELATIVE_PATH path "${root}" "${target}")
  endif()
  set(layer "")
  if(path MATCHES "^([^/]+)/")
    string(TOLOWER "${CMAKE_MATCH_1}" first)
    if(first IN_LIST LOOKOUT_LAYERS)
      set(layer "${first}")
    endif()
  endif()
  set(${out} "${layer}" PARENT_SCOPE)
endfunction()

set(wrong "")
foreach(layer IN LISTS LOOKOUT_LAYERS)
  set(allowed ${layer} ${LOOKOUT_LAYER_USES_${layer}})
  set(patterns "")
  foreach(pattern IN LISTS LOOKOUT_LAYER_FILE_PATTERNS)
    list(APPEND patterns "${root}/${layer}/${pattern}")
  endforeach()
  file(GLOB files ${patterns})
  list(SORT files)
  foreach(file IN LISTS files)
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS lines)
      if(NOT line MATCHES "include[ \t]*[<\"]([^>\"]+)[>\"]")
        continue()
      endif()
      set(path "${CMAKE_MATCH_1}")
      included_layer("${file}" "${path}" used)
      if(used AND NOT used IN_LIST allowed)
        file(RELATIVE_PATH shown "${root}" "${file}")
        string(REPLACE ";" ", " may "${LOOKOUT_LAYER_USES_${layer}}")
        if(NOT may)
          set(may "no other folder")
        endif()
        string(APPEND wrong "  ${shown} includes \"${path}\": ${layer}/ may include only ${may}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(wrong)
  message(FATAL_ERROR "Includes against the layers (cmake/layers.cmake):\n${wrong}")
endif()
if(LOOKOUT_STAMP)
  file(TOUCH "${LOOKOUT_STAMP}")
endif()
