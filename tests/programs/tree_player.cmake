# The tree player: serves the accessibility tree of a tree file (tests/trees) from its windows.
add_library(tree_file STATIC ${CMAKE_CURRENT_LIST_DIR}/tree_file.cpp)
target_include_directories(tree_file PUBLIC ${CMAKE_CURRENT_LIST_DIR})
# uuid before oleacc, or IID_IAccessible resolves to an import thunk.
target_link_libraries(tree_file PUBLIC lookout_json ole32 oleaut32 uuid oleacc user32)
add_executable(tree_player ${CMAKE_CURRENT_LIST_DIR}/tree_player.cpp)
target_link_libraries(tree_player PRIVATE tree_file window_commands)
add_dependencies(e2e_tests tree_player)
