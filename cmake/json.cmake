# nlohmann/json, header-only (Debian's nlohmann-json3-dev), for the programs that read or write
# tree files: LookoutTree.exe and the test programs. Lookout.exe does not use it.
find_path(LOOKOUT_JSON_INCLUDE_DIR nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH
  DOC "The folder that holds nlohmann/json.hpp")
if(NOT LOOKOUT_JSON_INCLUDE_DIR)
  message(FATAL_ERROR "nlohmann/json.hpp not found: install nlohmann-json3-dev or set "
                      "LOOKOUT_JSON_INCLUDE_DIR")
endif()
add_library(lookout_json INTERFACE)
if(CMAKE_CROSSCOMPILING AND LOOKOUT_JSON_INCLUDE_DIR STREQUAL "/usr/include")
  # The build host's /usr/include holds its own system's headers too: offer only nlohmann's.
  set(LOOKOUT_JSON_LINK_DIR ${CMAKE_BINARY_DIR}/json-include)
  file(MAKE_DIRECTORY ${LOOKOUT_JSON_LINK_DIR})
  if(NOT EXISTS ${LOOKOUT_JSON_LINK_DIR}/nlohmann)
    file(CREATE_LINK ${LOOKOUT_JSON_INCLUDE_DIR}/nlohmann ${LOOKOUT_JSON_LINK_DIR}/nlohmann SYMBOLIC)
  endif()
  target_include_directories(lookout_json SYSTEM INTERFACE ${LOOKOUT_JSON_LINK_DIR})
else()
  target_include_directories(lookout_json SYSTEM INTERFACE ${LOOKOUT_JSON_INCLUDE_DIR})
endif()
