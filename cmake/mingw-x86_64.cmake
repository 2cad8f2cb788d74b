# Cross-compiles the 64-bit test build (preset mingw64) with MinGW-w64: the same sources as
# the 32-bit program, built for x64 so the Wine tests run under wine64 where no 32-bit
# process can start. Nothing built with it is handed out.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The posix-threads variant: GoogleTest needs std::mutex, which the win32 variant lacks.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# wine64 itself: the wine launcher prefers the 32-bit loader, which may not run here.
find_program(KESTROVA_WINE wine64 PATHS /usr/lib/wine /usr/lib64/wine NO_DEFAULT_PATH REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${KESTROVA_WINE})
