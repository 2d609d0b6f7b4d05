# Cross-compiles for 64-bit Windows with mingw-w64 (posix threads: GoogleTest needs std::mutex)
# and runs the results under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The Wine prefix the programs run in. The scripts name theirs; a build configured without them
# runs in the prefix that the scripts make beside the build folder. Kept in the build, so that
# ctest run on its own, without the scripts' environment, still uses the project's prefix.
get_filename_component(LOOKOUT_DEFAULT_WINEPREFIX "${CMAKE_BINARY_DIR}/../wineprefix" ABSOLUTE)
set(LOOKOUT_WINEPREFIX "${LOOKOUT_DEFAULT_WINEPREFIX}" CACHE PATH
  "Wine prefix the test programs run in (made by the project's scripts)")

# A launch wrapper around wine64 (see the script).
set(CMAKE_CROSSCOMPILING_EMULATOR
  ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run --prefix ${LOOKOUT_WINEPREFIX})
