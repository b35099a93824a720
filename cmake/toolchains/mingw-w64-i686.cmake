# Cross-builds the menu as a real 32-bit Windows program with Debian's mingw-w64 (i686).
# Usage: cmake --preset windows   (or -DCMAKE_TOOLCHAIN_FILE=<this file>)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(LUMARC_MINGW_PREFIX i686-w64-mingw32 CACHE STRING "Target triple of the mingw-w64 tools")
# The posix thread model carries the whole C++20 thread library; -static below keeps its
# winpthread out of the import table, so the choice costs the program no DLL.
set(LUMARC_MINGW_THREADS posix CACHE STRING "mingw-w64 thread model: posix or win32")

set(CMAKE_C_COMPILER ${LUMARC_MINGW_PREFIX}-gcc-${LUMARC_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${LUMARC_MINGW_PREFIX}-g++-${LUMARC_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${LUMARC_MINGW_PREFIX}-windres)

# Look for libraries and headers only in the target's sysroot, for programs only on the host.
set(CMAKE_FIND_ROOT_PATH /usr/${LUMARC_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The disc runs on machines that have no mingw runtime: link the C and C++ runtimes into the
# executable so that it imports only DLLs that come with Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# The static runtimes bring their debug information along: a release for the disc drops it,
# halving launcher.exe (2.3 MB to 1.2 MB).
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

# Cross-built tests run under Wine, each build folder with a Wine prefix of its own.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/run-with-wine.sh
      ${CMAKE_BINARY_DIR}/wineprefix)
endif()
