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
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-i386)
