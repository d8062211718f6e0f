# Cross-builds Zumbrik for 64-bit Windows with Debian's MinGW-w64 compilers:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The -posix compilers are the ones whose C++ library has std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZUMBRIK_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZUMBRIK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZUMBRIK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZUMBRIK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZUMBRIK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: every .exe needs only the DLLs that ship with Windows.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine, when it is installed. Test discovery waits for
# ctest, so building never starts Wine.
find_program(ZUMBRIK_WINE NAMES wine)
if(ZUMBRIK_WINE AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZUMBRIK_WINE})
endif()
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# The host's pkg-config describes host libraries only; none of them link here.
set(CMAKE_DISABLE_FIND_PACKAGE_PkgConfig TRUE)
# A release .exe carries no symbol table.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
