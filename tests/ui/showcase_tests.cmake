# Scroll bar, tile, tab and child layouts, animated controls and custom buttons: unit tests on
# controls attached to a hidden test window (events delivered as the window manager delivers
# them, paints compared at chosen pixels; the render tests' pictures are the skin).
vexo_add_gtest(ui_scroll_layout_test
  SOURCES scrollbar_test.cpp tile_tab_layout_test.cpp
          ControlTestSupport.cpp ${PROJECT_SOURCE_DIR}/tests/render/RenderTestSupport.cpp
  LIBS vexo_ui_controls vexo_ui_core vexo_test_files)

vexo_add_gtest(ui_animated_custom_test
  SOURCES animation_test.cpp custom_button_test.cpp
          ControlTestSupport.cpp ${PROJECT_SOURCE_DIR}/tests/render/RenderTestSupport.cpp
  LIBS vexo_ui_controls vexo_ui_core vexo_test_files)

# The gallery in a real window, driven with xdotool; screenshots in gallery_artifacts.
add_test(NAME ui_gallery
  COMMAND ${VEXO_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/gallery_test.py
          --wine ${PROJECT_SOURCE_DIR}/scripts/wine-run.sh
          --gallery $<TARGET_FILE:gallery>
          --installer-skin ${PROJECT_SOURCE_DIR}/skin
          --artifacts ${CMAKE_CURRENT_BINARY_DIR}/gallery_artifacts)
set_tests_properties(ui_gallery PROPERTIES RESOURCE_LOCK display TIMEOUT 600)
