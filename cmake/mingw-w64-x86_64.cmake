# Cross build for 64-bit Windows with Debian's MinGW-w64 compiler, thread model "posix" (the one
# whose std::thread, std::mutex and std::condition_variable work):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The runtime of the compiler is linked statically, so a program needs no DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MLB8_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MLB8_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MLB8_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MLB8_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MLB8_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread inside the executable.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Programs built here run under Wine (tests, the test discovery of CTest).
find_program(MLB8_WINE NAMES wine wine64)
if(MLB8_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MLB8_WINE})
endif()
