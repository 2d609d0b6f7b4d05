# The layer check as the build runs it: a copy of the product with includes that reach up a
# layer fails to build even its lowest library, and every wrong include is named while the
# allowed ones are not. (The real tree passes it in every build.) Run by ctest:
#
#   cmake -DSOURCE_DIR=<tree> -DSCRATCH=<folder> -DGENERATOR=<generator>
#         -DMAKE_PROGRAM=<tool> -DTOOLCHAIN=<file> -P layers_test.cmake
cmake_minimum_required(VERSION 3.20)

function(fail)
  message(FATAL_ERROR ${ARGN})
endfunction()

include(${SOURCE_DIR}/cmake/layers.cmake)
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH}/tree)
file(COPY ${SOURCE_DIR}/CMakeLists.txt ${SOURCE_DIR}/cmake DESTINATION ${SCRATCH}/tree)
foreach(layer IN LISTS LOOKOUT_LAYERS)
  file(COPY ${SOURCE_DIR}/${layer} DESTINATION ${SCRATCH}/tree)
endforeach()

# Wrong: up from winfo, relative from java, angle brackets with odd case and a backslash in dde.
file(WRITE ${SCRATCH}/tree/winfo/upward.h "#include \"app/records.h\"\n")
file(WRITE ${SCRATCH}/tree/java/upward.cpp "#include \"../browser/classify.h\"\n")
file(WRITE ${SCRATCH}/tree/dde/upward.h "  #  include <App\\records.h>\n")
# Allowed: down a layer, a bare name beside the file, a system header, a commented-out include.
file(WRITE ${SCRATCH}/tree/browser/downward.h
  "#include \"winfo/module_info.h\"\n#include \"classify.h\"\n#include <windows.h>\n// #include \"app/records.h\"\n")

execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SCRATCH}/tree -B ${SCRATCH}/out -G ${GENERATOR}
          -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM} -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN}
          -DLOOKOUT_BUILD_TESTS=OFF -DLOOKOUT_BUILD_BENCH=OFF
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  fail("the copied tree does not configure:\n${output}")
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} --build ${SCRATCH}/out --target lookout_diag
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(status EQUAL 0)
  fail("includes against the layers built:\n${output}")
endif()
foreach(expected
    "winfo/upward.h includes \"app/records.h\": winfo/ may include only diag, util"
    "java/upward.cpp includes \"../browser/classify.h\": java/ may include only diag, util"
    "dde/upward.h includes \"App\\records.h\": dde/ may include only diag, util")
  string(FIND "${output}" "${expected}" at)
  if(at EQUAL -1)
    fail("the build output does not name this wrong include:\n  ${expected}\n${output}")
  endif()
endforeach()
if(output MATCHES "downward|Building CXX")
  fail("an allowed include was named, or something was compiled:\n${output}")
endif()
file(REMOVE_RECURSE ${SCRATCH})
