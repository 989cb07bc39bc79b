# Cross toolchain: Windows with mingw-w64, posix thread model. The product is 32-bit (PE32,
# VEXO_ARCH i686, the default); VEXO_ARCH x86_64 builds the same sources as PE32+ for machines
# that cannot run 32-bit programs (scripts/env.sh decides which one runs here).
if(NOT VEXO_ARCH)
  if(DEFINED ENV{VEXO_ARCH})
    set(VEXO_ARCH "$ENV{VEXO_ARCH}")
  else()
    set(VEXO_ARCH i686)
  endif()
endif()
set(VEXO_ARCH "${VEXO_ARCH}" CACHE STRING "Target processor: i686 (the product) or x86_64")
# Try-compile projects see the same choice.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VEXO_ARCH)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VEXO_ARCH})

set(VEXO_TRIPLET ${VEXO_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER   ${VEXO_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEXO_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${VEXO_TRIPLET}-windres)
set(CMAKE_AR           /usr/bin/${VEXO_TRIPLET}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       /usr/bin/${VEXO_TRIPLET}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${VEXO_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program is linked statically so it runs under Wine without extra DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine; the wrapper keeps the environment consistent.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
