# Delay-loaded system DLLs. A DLL a program imports is loaded when the program starts, before
# its first line runs, and one that is not a KnownDLL is searched for in the program's own folder
# first: a DLL of that name dropped beside a downloaded installer would run. The programs that
# ship or are handed around (the installer, the gallery) import these DLLs through delay-import
# libraries instead, so each loads at its first call, after RestrictDllSearchToSystem
# (support/SystemLibrary.h) has made System32 the only folder searched, and through the hook
# there. Their static imports are KnownDLLs only (kernel32, user32, gdi32, advapi32, msvcrt,
# ole32, oleaut32, shell32, shlwapi, ws2_32), which the system never takes from a program's
# folder; app_shipped_image checks that of the shipped file.
set(VEXO_DELAY_LOADED_DLLS bcrypt comctl32 crypt32 gdiplus oleacc secur32 wininet winmm)
set(VEXO_DELAY_IMPORT_DIR ${CMAKE_BINARY_DIR}/delay-imports)
set(VEXO_DELAY_IMPORT_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/DelayImports.ld)

set(VEXO_DELAY_IMPORT_LIBRARIES)
foreach(name IN LISTS VEXO_DELAY_LOADED_DLLS)
  find_file(VEXO_IMPORT_LIBRARY_${name} lib${name}.a PATHS ${CMAKE_FIND_ROOT_PATH}/lib
    NO_DEFAULT_PATH REQUIRED)
  set(library ${VEXO_DELAY_IMPORT_DIR}/lib${name}.a)
  add_custom_command(OUTPUT ${library}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VEXO_DELAY_IMPORT_DIR}
    COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL} -DOBJCOPY=${CMAKE_OBJCOPY}
            -DAR=${CMAKE_AR} -DARCH=${VEXO_ARCH}
            -DIMPORT_LIBRARY=${VEXO_IMPORT_LIBRARY_${name}} -DDLL=${name}.dll -DOUTPUT=${library}
            -P ${CMAKE_CURRENT_LIST_DIR}/MakeDelayImportLibrary.cmake
    DEPENDS ${VEXO_IMPORT_LIBRARY_${name}} ${CMAKE_CURRENT_LIST_DIR}/MakeDelayImportLibrary.cmake
    VERBATIM)
  list(APPEND VEXO_DELAY_IMPORT_LIBRARIES ${library})
endforeach()
add_custom_target(vexo_delay_imports DEPENDS ${VEXO_DELAY_IMPORT_LIBRARIES})

# vexo_delay_system_imports(TARGET): the program links the delay-import libraries in place of the
# import libraries of the same names: their folder comes first in the linker's search, so every
# "-lwinmm" of the program's link (its own or a library's) finds the delay-import one.
# The linker script puts their tables into the program's .didat section.
function(vexo_delay_system_imports target)
  add_dependencies(${target} vexo_delay_imports)
  target_link_directories(${target} BEFORE PRIVATE ${VEXO_DELAY_IMPORT_DIR})
  target_link_options(${target} PRIVATE -Wl,-T,${VEXO_DELAY_IMPORT_SCRIPT})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${VEXO_DELAY_IMPORT_LIBRARIES}
    ${VEXO_DELAY_IMPORT_SCRIPT})
endfunction()
