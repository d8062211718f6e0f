# Cross-builds Zumbrik for 64-bit ARM Linux with Debian's cross compilers:
#   cmake -S . -B build-aarch64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64-linux-gnu.cmake
# The test programs run under the user-mode emulator when it is installed.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(ZUMBRIK_CROSS_TRIPLE aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${ZUMBRIK_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${ZUMBRIK_CROSS_TRIPLE}-g++)

# Only the target's own libraries and headers: the host's ALSA or GoogleTest
# would be found otherwise and fail to link.
set(CMAKE_FIND_ROOT_PATH /usr/${ZUMBRIK_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_DISABLE_FIND_PACKAGE_PkgConfig TRUE)

# The emulator finds the target's loader and C++ library under the sysroot.
find_program(ZUMBRIK_QEMU_AARCH64 NAMES qemu-aarch64 qemu-aarch64-static)
if(ZUMBRIK_QEMU_AARCH64 AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZUMBRIK_QEMU_AARCH64};-L;/usr/${ZUMBRIK_CROSS_TRIPLE})
endif()
# Test discovery waits for ctest, so building never starts the emulator.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
