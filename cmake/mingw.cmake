# What both MinGW-w64 builds share; the including file names the processor
# and its compilers first.
set(CMAKE_SYSTEM_NAME Windows)
set(mingw_triplet ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)

# The win32 thread model: the posix one links winpthread, whose
# GetTickCount64 import would keep the program from starting on Windows XP.
set(CMAKE_C_COMPILER ${mingw_triplet}-gcc-win32)
set(CMAKE_CXX_COMPILER ${mingw_triplet}-g++-win32)
set(CMAKE_RC_COMPILER ${mingw_triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every Windows binary is linked statically so it needs nothing beyond the
# system DLLs of a bare Windows install.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
