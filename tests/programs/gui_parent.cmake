# A GUI parent of Lookout that follows the README's recipe (see its header comment).
add_executable(gui_parent WIN32 ${CMAKE_CURRENT_LIST_DIR}/gui_parent.cpp)
add_dependencies(e2e_tests gui_parent)
