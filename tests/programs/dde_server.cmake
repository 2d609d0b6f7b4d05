# A DDE server in a process of its own, for the DDE client's end-to-end tests and the demo.
add_executable(dde_server ${CMAKE_CURRENT_LIST_DIR}/dde_server.cpp)
add_dependencies(e2e_tests dde_server)
target_link_libraries(dde_server PRIVATE psapi)
