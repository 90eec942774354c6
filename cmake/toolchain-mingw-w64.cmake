# Cross-build for 64-bit Windows with Debian's mingw-w64. The posix thread flavour
# is needed for std::thread and std::mutex; everything is linked statically so the
# exe runs on a bare Windows (or Wine) without extra DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(DFX_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${DFX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DFX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${DFX_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DFX_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test executables run under Wine through a wrapper that prepares a quiet prefix once.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/e2e/win_wine.sh)
