# The Windows tests as 64-bit programs, for a machine whose kernel runs no
# 32-bit code: 64-bit Wine runs them there, which it cannot do for the 32-bit
# ones.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec;win64")
