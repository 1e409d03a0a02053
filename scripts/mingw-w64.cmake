# Cross toolchain: Windows x86_64 with the posix thread model, run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)

# Parallel work trees share one compiler cache; the paths below the work
# tree are made relative (CCACHE_BASEDIR in scripts/lib.sh) so they hit it.
find_program(TARVO_CCACHE ccache)
if(TARVO_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${TARVO_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${TARVO_CCACHE})
endif()
