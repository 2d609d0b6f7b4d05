# demo.exe: a scripted desktop of test windows with the real Lookout.exe watching it, each record
# shown as it arrives (scripts/demo builds and runs it). Included from tests/CMakeLists.txt.
add_executable(demo ${CMAKE_CURRENT_LIST_DIR}/demo.cpp ${CMAKE_CURRENT_LIST_DIR}/demo_props.cpp)
target_link_libraries(demo PRIVATE e2e_driver)
add_dependencies(demo Lookout testwin_ver testwin_plain tree_player test_trees dde_server)
