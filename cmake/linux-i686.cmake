# Cross build for 32-bit x86 Linux. Its programs run under qemu-i386's
# user-mode emulation, called directly (the kernel here runs no 32-bit
# programs, and a binfmt handler would be global to the host). The portable
# code is built for a 32-bit target so that what only a 32-bit build gets
# wrong (size_t and long of 32 bits, another calling convention, x87 floats)
# is found by the same tests as the native build.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_FIND_ROOT_PATH /usr/i686-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static programs: the emulator then needs no library path of the target.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
# The tests' GBK oracle is the C library's iconv, whose converters a static
# program loads from the 32-bit C library's folder (Debian's libc6-i386). The
# processor is qemu's, not the one /proc/cpuinfo describes: the tests that
# read that file are told.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-i386 -E GCONV_PATH=/usr/lib32/gconv -E QUOBRIX_EMULATED_CPU=1)
