# Labels, text, buttons, options, check boxes, progress bars and the slider: events delivered as
# the window manager delivers them, and paints onto canvases compared at chosen pixels (the
# render tests' pictures are the skin).
vexo_add_gtest(ui_controls_test
  SOURCES label_paint_test.cpp button_option_test.cpp progress_slider_test.cpp
          ControlTestSupport.cpp ${PROJECT_SOURCE_DIR}/tests/render/RenderTestSupport.cpp
  LIBS vexo_ui_controls vexo_ui_core vexo_test_files)
