# The Debian packages each task needs; sourced by the other scripts.
BUILD_PACKAGES=(g++ cmake make libgtest-dev libgmock-dev libasound2-dev)
TEST_PACKAGES=("${BUILD_PACKAGES[@]}" tmux)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# Packaging: the .deb (dpkg-shlibdeps computes its Depends) and the Windows zip.
PACKAGE_PACKAGES=("${BUILD_PACKAGES[@]}" dpkg-dev file zip g++-mingw-w64-x86-64-posix googletest)
# Checking the installed package: the example built both ways, the manual
# pages and the desktop entry checked.
INSTALLED_PACKAGES=(pkgconf groff-base man-db desktop-file-utils)
# The web page: Emscripten (Debian's, with its own clang and node); npm comes
# with Node.js, installed only where no npm is on the path.
WEB_PACKAGES=(cmake make emscripten)
# Its browser test: Chromium, driven headless, and a monospace font with Cyrillic.
WEB_TEST_PACKAGES=("${WEB_PACKAGES[@]}" chromium fonts-dejavu-core)
