# Drives pieces of the DDE client inside a process of its own (see its header comment).
add_executable(dde_probe ${CMAKE_CURRENT_LIST_DIR}/dde_probe.cpp)
target_link_libraries(dde_probe PRIVATE lookout_core)
add_dependencies(e2e_tests dde_probe)
