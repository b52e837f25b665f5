# Cross-compiling for 64-bit Windows with MinGW-w64 (Debian's
# g++-mingw-w64-x86-64): cmake -S . -B build-win
#   -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The posix thread variant of the compiler gives std::thread; the tests run
# under Wine when it is there.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAVLO_MINGW_PREFIX x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${TAVLO_MINGW_PREFIX}-gcc-posix ${TAVLO_MINGW_PREFIX}-gcc)
find_program(CMAKE_CXX_COMPILER NAMES ${TAVLO_MINGW_PREFIX}-g++-posix ${TAVLO_MINGW_PREFIX}-g++)
find_program(CMAKE_RC_COMPILER NAMES ${TAVLO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TAVLO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The programs and the tests run under Wine on a Linux machine.
find_program(TAVLO_WINE NAMES wine wine64 PATHS /usr/lib/wine)
if(TAVLO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TAVLO_WINE})
endif()
