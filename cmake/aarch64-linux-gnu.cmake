# Cross toolchain for 64-bit ARM Linux: Debian's g++-aarch64-linux-gnu against the
# arm64 libraries that Debian's multiarch installs beside the native ones
# (/usr/lib/aarch64-linux-gnu). Programs run under qemu-user, called explicitly.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
# pkg-config's cross wrapper reads only the arm64 .pc files.
set(PKG_CONFIG_EXECUTABLE aarch64-linux-gnu-pkg-config CACHE FILEPATH "")

# Build-time tools and test programs run under the emulator; the machine has no
# binfmt handler to start them by themselves.
find_program(TAV_QEMU_AARCH64 qemu-aarch64-static REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR "${TAV_QEMU_AARCH64}")

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
