# Window benchmark (prints figures; not a test): idle cost and repaint cost of a window whose
# control tree is shaped like the installer's. Run it with scripts/bench.sh window.
add_executable(bench_window ${CMAKE_CURRENT_LIST_DIR}/bench_window.cpp)
target_link_libraries(bench_window PRIVATE vexo_ui_controls vexo_ui_core)
vexo_project_target(bench_window)
