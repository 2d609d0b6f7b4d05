# The Firefox stand-in: windows that serve an accessibility tree to other processes.
add_executable(msaa_server ${CMAKE_CURRENT_LIST_DIR}/msaa_server.cpp)
# uuid before oleacc, or IID_IAccessible resolves to an import thunk.
target_link_libraries(msaa_server PRIVATE window_commands ole32 oleaut32 uuid oleacc user32)
add_dependencies(e2e_tests msaa_server)
