# Dialog builder and window base: unit tests in real (hidden or briefly shown) windows, and the
# sample skin opened by a real window from each of its three sources, driven with xdotool.

# vexo_add_resource_object(OUT rc.in DEPENDS file...): configures the .rc file and compiles it
# into an object linked into a test program (windres directly: the project's compile options are
# meant for the C++ compiler only).
function(vexo_add_resource_object out template)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "DEPENDS")
  get_filename_component(stem ${template} NAME_WE)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${stem}.rc)
  set(object ${CMAKE_CURRENT_BINARY_DIR}/${stem}.res.o)
  configure_file(${template} ${rc} @ONLY)
  add_custom_command(OUTPUT ${object}
    COMMAND ${CMAKE_RC_COMPILER} -O coff -i ${rc} -o ${object}
    DEPENDS ${rc} ${arg_DEPENDS} VERBATIM)
  set(${out} ${object} PARENT_SCOPE)
endfunction()

vexo_add_resource_object(window_tests_res window_tests.rc.in
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/sample_window.ico)
vexo_add_gtest(ui_window_tests
  SOURCES dialog_builder_test.cpp window_impl_test.cpp ${window_tests_res}
  LIBS vexo_ui_core vexo_ui_controls vexo_test_files
  PROPERTIES RESOURCE_LOCK display)

# The sample skin as the host finds it beside itself: the folder "sample_skin", and the ZIP file
# "sample_zip/sample_skin.zip" (also compiled into the host as resource "ZIPRES" 146).
set(SAMPLE_SKIN_SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/sample_skin)
file(GLOB sample_skin_files CONFIGURE_DEPENDS ${SAMPLE_SKIN_SOURCE}/*)
set(SAMPLE_SKIN_ZIP ${CMAKE_CURRENT_BINARY_DIR}/sample_zip/sample_skin.zip)
vexo_pack_skin(${SAMPLE_SKIN_ZIP} ${SAMPLE_SKIN_SOURCE})
set(sample_skin_copy ${CMAKE_CURRENT_BINARY_DIR}/sample_skin.copied)
add_custom_command(OUTPUT ${sample_skin_copy}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${SAMPLE_SKIN_SOURCE}
          ${CMAKE_CURRENT_BINARY_DIR}/sample_skin
  COMMAND ${CMAKE_COMMAND} -E touch ${sample_skin_copy}
  DEPENDS ${sample_skin_files} VERBATIM)
add_custom_target(sample_skin_files DEPENDS ${sample_skin_copy} ${SAMPLE_SKIN_ZIP})

vexo_add_resource_object(sample_host_res sample_window_host.rc.in
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/sample_window.ico ${SAMPLE_SKIN_ZIP})
add_executable(sample_window_host WIN32 sample_window_host.cpp ${sample_host_res})
target_link_libraries(sample_window_host PRIVATE vexo_ui_core vexo_ui_controls)
target_link_options(sample_window_host PRIVATE -municode)
add_dependencies(sample_window_host sample_skin_files)
vexo_project_target(sample_window_host)

add_test(NAME ui_window_base
  COMMAND ${VEXO_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/window_base_test.py
          --wine ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh
          --host $<TARGET_FILE:sample_window_host>
          --artifacts ${CMAKE_CURRENT_BINARY_DIR}/window_base_artifacts)
set_tests_properties(ui_window_base PROPERTIES RESOURCE_LOCK display TIMEOUT 600)
