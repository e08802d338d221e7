#!/usr/bin/env bash
# build.sh [TARGET...]: builds the shipped 32-bit Velkor.exe into build/i686 and the test tree
# into build/test-ARCH, ARCH that of the tests' lane (only the targets named, when any are).
# Prints the test tree's folder on its last line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
# VELKOR_BUILD_DIR and VELKOR_XVFB_DISPLAY let several builds and test runs live side by side.
out=${VELKOR_BUILD_DIR:-$root/build}
display=${VELKOR_XVFB_DISPLAY:-87}

cmake -S "$root" -B "$out/i686" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" >/dev/null
cmake --build "$out/i686" -j "$jobs" >/dev/null

# The lane as the caller worked it out (scripts/test.sh passes it on), or as it is here.
lane=${VELKOR_TEST_ARCH:-$(bash "$root/scripts/test-arch.sh")}
arch=${lane%-emulated}
tree="$out/test-$arch"
cmake -S "$root" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-mingw.cmake" \
  -DVELKOR_BUILD_TESTS=ON -DVELKOR_SHIPPED_EXE="$out/i686/Velkor.exe" -DVELKOR_XVFB_DISPLAY="$display" >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$tree" -j "$jobs" "${targets[@]}" >/dev/null
echo "$tree"
