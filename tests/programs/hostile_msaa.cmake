# A Firefox stand-in whose accessibility tree may carry any bytes or stop answering mid-walk.
add_executable(hostile_msaa ${CMAKE_CURRENT_LIST_DIR}/hostile_msaa.cpp)
# uuid before oleacc, or IID_IAccessible resolves to an import thunk.
target_link_libraries(hostile_msaa PRIVATE window_commands ole32 oleaut32 uuid oleacc user32)
add_dependencies(e2e_tests hostile_msaa)
