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

# Hardening of the project's code and programs:
# - stack protection: functions with arrays or address-taken locals check a guard value before
#   they return (-fstack-protector-strong). The guard and the failure routine are the support
#   library's (support/StackProtection.cpp), which every program links; GCC's libssp, which it
#   adds statically to every link that names the option, serves only code linked without it
#   (its guard set-up would load DLLs before a program's first line).
#   _FORTIFY_SOURCE is not set: this mingw-w64's headers (10.0) have no fortified functions, and
#   GCC's libssp headers define the string functions as macros, which breaks C++'s std::memcpy.
# - the programs' PE flags: relocatable at a random base (DYNAMIC_BASE), data never executable
#   (NX_COMPAT), Remote Desktop aware (TERMINAL_SERVER_AWARE: no per-session compatibility
#   shims); PE32+ programs also get a random base anywhere in the 64-bit space
#   (HIGH_ENTROPY_VA). The linker already keeps writable and executable sections apart.
set(VEXO_STACK_PROTECTION -fstack-protector-strong)
set(VEXO_PROGRAM_LINK_OPTIONS -Wl,--dynamicbase -Wl,--nxcompat -Wl,--tsaware)
if(VEXO_ARCH STREQUAL "x86_64")
  list(APPEND VEXO_PROGRAM_LINK_OPTIONS -Wl,--high-entropy-va)
endif()

# vexo_project_target(TARGET): the project's own warning level and hardening; third-party code
# keeps its own. A static library hands the stack protection's link on to what links it.
function(vexo_project_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra ${VEXO_STACK_PROTECTION})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "STATIC_LIBRARY")
    target_link_options(${target} INTERFACE ${VEXO_STACK_PROTECTION})
  else()
    target_link_options(${target} PRIVATE ${VEXO_STACK_PROTECTION})
  endif()
  if(type STREQUAL "EXECUTABLE")
    target_link_options(${target} PRIVATE ${VEXO_PROGRAM_LINK_OPTIONS})
  endif()
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

# The programs' resources share the process manifest (cmake/Application.manifest) and the
# version resource (cmake/VersionInfo.rc, with the project's version from VexoVersion.h).
set(VEXO_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/VexoVersion.h.in ${VEXO_GENERATED_DIR}/VexoVersion.h @ONLY)
set(VEXO_SHARED_RESOURCES ${CMAKE_CURRENT_LIST_DIR}/Application.manifest
    ${CMAKE_CURRENT_LIST_DIR}/VersionInfo.rc ${VEXO_GENERATED_DIR}/VexoVersion.h)

# vexo_compile_resources(OBJECT RC_FILE [DEPENDS file...]): compiles a program's resource script
# with windres directly (the project's compile options are meant for the C++ compiler). The
# script finds files in its own folder, in the current build folder and the shared ones above.
function(vexo_compile_resources object rc_file)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "DEPENDS")
  get_filename_component(rc_dir ${rc_file} DIRECTORY)
  add_custom_command(OUTPUT ${object}
    COMMAND ${CMAKE_RC_COMPILER} -O coff -I ${CMAKE_CURRENT_BINARY_DIR} -I ${rc_dir}
            -I ${PROJECT_SOURCE_DIR}/cmake -I ${VEXO_GENERATED_DIR} -i ${rc_file} -o ${object}
    DEPENDS ${rc_file} ${VEXO_SHARED_RESOURCES} ${arg_DEPENDS} VERBATIM)
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/DelayImports.cmake)
