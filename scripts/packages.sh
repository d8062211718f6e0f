# The Debian packages each task needs; sourced by the other scripts.
BUILD_PACKAGES=(g++ cmake make libgtest-dev libgmock-dev libasound2-dev)
TEST_PACKAGES=("${BUILD_PACKAGES[@]}" tmux)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
