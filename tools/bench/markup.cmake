# Markup parsing benchmark: the skin markup parser beside pugixml, both built by this compiler
# in this build. pugixml comes from Debian's source package (scripts/fetch-pugixml.sh); without
# its sources the benchmark is skipped. scripts/bench.sh markup fetches, builds and runs it.
set(VEXO_PUGIXML_DIR "${VEXO_CACHE_DIR}/pugixml/src/src" CACHE PATH
    "pugixml sources (the folder holding pugixml.cpp), from scripts/fetch-pugixml.sh")
if(EXISTS ${VEXO_PUGIXML_DIR}/pugixml.cpp)
  add_library(bench_markup_pugixml STATIC ${VEXO_PUGIXML_DIR}/pugixml.cpp)
  target_include_directories(bench_markup_pugixml SYSTEM PUBLIC ${VEXO_PUGIXML_DIR})
  add_executable(bench_markup ${CMAKE_CURRENT_SOURCE_DIR}/bench_markup.cpp)
  target_link_libraries(bench_markup PRIVATE vexo_ui_core bench_markup_pugixml)
  vexo_project_target(bench_markup)
else()
  message(STATUS "bench_markup skipped: no pugixml sources in ${VEXO_PUGIXML_DIR} (scripts/fetch-pugixml.sh)")
endif()
