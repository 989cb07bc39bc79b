# Paint benchmark (prints figures; not a test): the installer window's full paint cost beside a
# plain buffer copy. Run it with scripts/bench.sh paint.
add_executable(bench_paint ${CMAKE_CURRENT_LIST_DIR}/bench_paint.cpp)
target_link_libraries(bench_paint PRIVATE vexo_ui_core)
vexo_project_target(bench_paint)
