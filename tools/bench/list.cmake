# List benchmark (prints figures; not a test): building, scrolling and repainting a list of
# 100 000 rows beside a plain copy of the same window buffer, and memory per row. Run it with
# scripts/bench.sh list.
add_executable(bench_list ${CMAKE_CURRENT_LIST_DIR}/bench_list.cpp)
target_link_libraries(bench_list PRIVATE vexo_ui_controls psapi)
vexo_project_target(bench_list)
