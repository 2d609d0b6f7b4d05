# Windows and processes that come to the front and die at once, for the hostile tests.
add_executable(hostile_flash ${CMAKE_CURRENT_LIST_DIR}/hostile_flash.cpp)
add_dependencies(e2e_tests hostile_flash)
