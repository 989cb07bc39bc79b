# Cross toolchain: 32-bit Windows (PE32) with mingw-w64, posix thread model.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(VEXO_TRIPLET i686-w64-mingw32)
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
