# Where the project's scripts keep what they build or fetch outside the repository.
if(DEFINED ENV{VEXO_CACHE})
  set(VEXO_CACHE_DIR "$ENV{VEXO_CACHE}")
else()
  set(VEXO_CACHE_DIR "$ENV{HOME}/.cache/vexo")
endif()

# Compile settings shared by every target of the project (not by the third-party code).
add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601
                        WINVER=0x0601 _CRT_SECURE_NO_WARNINGS)

# Every function and datum in a section of its own, and the link keeps only the sections a
# program reaches: the executable carries no code it never calls (the dependencies are built the
# same way by scripts/build-deps.sh).
add_compile_options(-ffunction-sections -fdata-sections)
add_link_options(-Wl,--gc-sections)

# Release builds optimise for size: the installer is downloaded by every player. The layers on
# the paint and parse paths (markup parser and pictures, render engine, window manager) are
# optimised for speed instead (vexo_add_layer's SPEED).
set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")

# vexo_project_target(TARGET): the project's own warning level; third-party code keeps its own.
function(vexo_project_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# vexo_add_layer(TARGET [SPEED] DIRS dir... LIBS lib...): one static library per subsystem, made
# of the C++ sources directly in its folders. Headers are included from the repository root
# ("support/Log.h", "ui/core/base/UIString.h", ...). SPEED: a release build optimises the layer
# for speed rather than size.
function(vexo_add_layer target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "SPEED" "" "DIRS;LIBS")
  set(sources)
  foreach(dir IN LISTS arg_DIRS)
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  if(sources)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${arg_LIBS})
    vexo_project_target(${target})
    if(arg_SPEED)
      target_compile_options(${target} PRIVATE $<$<CONFIG:Release>:-O2>)
    endif()
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${arg_LIBS})
  endif()
endfunction()

# Test builds trap on undefined behaviour (mingw has no sanitizer run-time; trapping needs none).
option(VEXO_UBSAN_TRAP "Build project code with -fsanitize=undefined, trapping on error" OFF)
if(VEXO_UBSAN_TRAP)
  add_compile_options(-fsanitize=undefined -fsanitize-undefined-trap-on-error)
endif()

# VEXO_PYTHON: the command prefix of every Python step of the build and the tests, with the
# harness package (tools/vexoharness) on the module path.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(VEXO_PYTHON ${CMAKE_COMMAND} -E env PYTHONPATH=${PROJECT_SOURCE_DIR}/tools ${Python3_EXECUTABLE})

# vexo_pack_skin(ZIP SKIN_DIR): packs the skin folder into ZIP at build time (tools/pack_skin.py:
# deflated entries, no folders, fixed order and time stamps, so the same skin gives the same
# archive); rebuilt when a file of the folder or the packer changes.
function(vexo_pack_skin zip skin_dir)
  file(GLOB skin_files CONFIGURE_DEPENDS ${skin_dir}/*)
  get_filename_component(zip_dir ${zip} DIRECTORY)
  add_custom_command(OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${zip_dir}
    COMMAND ${VEXO_PYTHON} ${PROJECT_SOURCE_DIR}/tools/pack_skin.py ${skin_dir} ${zip}
    DEPENDS ${skin_files} ${PROJECT_SOURCE_DIR}/tools/pack_skin.py VERBATIM)
endfunction()
