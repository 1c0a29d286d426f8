# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix thread model).
# The programs are linked statically so Wine runs them without any MinGW DLL.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VEXILO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VEXILO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEXILO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VEXILO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VEXILO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest runs the test programs through Wine when it is installed.
find_program(VEXILO_WINE wine)
if(VEXILO_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VEXILO_WINE})
endif()
