# The control base, containers, linear layouts and the window manager: layouts without a window,
# then a real window (painting read back, timers, focus, notifications, messages sent to it),
# then a real window driven with xdotool (window_input_test.py against window_input_host).

add_library(vexo_manager_test_support STATIC ManagerTestSupport.cpp)
target_link_libraries(vexo_manager_test_support PUBLIC vexo_ui_controls vexo_ui_core)
vexo_project_target(vexo_manager_test_support)

vexo_add_gtest(ui_framework_test
  SOURCES control_layout_test.cpp control_base_test.cpp
  LIBS vexo_manager_test_support)

vexo_add_gtest(ui_window_manager_test
  SOURCES window_manager_test.cpp manager_paint_test.cpp
          ${PROJECT_SOURCE_DIR}/tests/render/RenderTestSupport.cpp
  LIBS vexo_manager_test_support vexo_test_files
  PROPERTIES RESOURCE_LOCK display)

add_executable(window_input_host window_input_host.cpp)
target_link_libraries(window_input_host PRIVATE vexo_manager_test_support)
vexo_project_target(window_input_host)
add_test(NAME ui_window_input_test
  COMMAND ${VEXO_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/window_input_test.py
          ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh $<TARGET_FILE:window_input_host>)
set_tests_properties(ui_window_input_test PROPERTIES RESOURCE_LOCK display TIMEOUT 300)
