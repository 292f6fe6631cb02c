# Cross-compiles the 32-bit Windows program and its tests with MinGW-w64;
# ctest runs them under Wine through wine-exec, which keeps the Wine prefix
# inside the build tree.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec;win32")
