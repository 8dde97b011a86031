# x86 (32-bit) Windows build with MinGW-w64: the shipping build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(ZV_ARCH x86)
set(ZV_OBJDUMP i686-w64-mingw32-objdump)
# Wine's 32-bit loader (runs through qemu-i386 where the kernel refuses 32-bit programs).
set(ZV_WINE_LOADER /usr/lib/wine/wine)
