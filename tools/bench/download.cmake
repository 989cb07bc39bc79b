# Download benchmark (prints figures; not a test): CLibHttpHelper::DownloadFile from nginx on
# loopback, with wall time, CPU time and peak memory. Run it with scripts/bench.sh download.
add_executable(bench_download ${CMAKE_CURRENT_LIST_DIR}/bench_download.cpp)
target_link_libraries(bench_download PRIVATE vexo_support psapi)
vexo_project_target(bench_download)
