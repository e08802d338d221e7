#!/usr/bin/env bash
# The start-up benchmark (bench/): builds Velkor.exe, the stand-ins and the yardsticks, times
# them under Wine, interleaved in one run, and prints medians and ratios; then the shipped
# executable's size and the DLLs it imports. Usage: bash scripts/bench.sh [RUNS]   (default 30)
# VELKOR_BUILD_DIR and VELKOR_XVFB_DISPLAY work as in scripts/build.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-30}
jobs=$(nproc 2>/dev/null || echo 2)
out=${VELKOR_BUILD_DIR:-$root/build}
display=${VELKOR_XVFB_DISPLAY:-87}
# It runs the x86_64 build only (see below): no emulator is needed.
VELKOR_TEST_ARCH=x86_64 bash "$root/scripts/install-deps.sh"

# The same two trees as scripts/build.sh, but only what the benchmark needs is built.
cmake -S "$root" -B "$out/i686" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" >/dev/null
cmake --build "$out/i686" -j "$jobs" --target Velkor >/dev/null
# Native times only: emulated ones mean nothing, so the benchmark runs the x86_64 build.
arch=x86_64
tree="$out/test-$arch"
cmake -S "$root" -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-mingw.cmake" \
  -DVELKOR_BUILD_TESTS=ON -DVELKOR_SHIPPED_EXE="$out/i686/Velkor.exe" -DVELKOR_XVFB_DISPLAY="$display" >/dev/null
cmake --build "$tree" -j "$jobs" --target Velkor javai_standin velkor_comvm velkor_bench velkor_bare_gui \
  velkor_bare_imports velkor_bare_imports_com velkor_bare_jni velkor_bare_jni_com velkor_bare_com \
  velkor_bare_dialog velkor_bare_dialog_com >/dev/null
mapfile -t programs < "$tree/bench/bench-programs.txt"

env_file="$tree/tests/harness/wine-env.sh"
"$root/tests/harness/prefix-up.sh" "$env_file"
# Programs start on the bare display, as on a user's desktop, not in the tests' virtual desktop.
desktop() { "$root/tests/harness/wine-run.sh" "$env_file" reg "$1" 'HKCU\Software\Wine\Explorer' /v Desktop "${@:2}" /f >/dev/null 2>&1 || true; }
desktop delete
trap 'desktop add /d Default; "$root/tests/harness/prefix-down.sh" "$env_file"' EXIT
echo "Start-up under Wine, test architecture $arch:"
"$root/tests/harness/wine-run.sh" "$env_file" "${programs[0]}" "$runs" "${programs[@]:1}"

shipped="$out/i686/Velkor.exe"
echo
echo "Shipped executable: $shipped"
echo "  size: $(stat -c %s "$shipped") bytes"
echo "  imports: $(i686-w64-mingw32-objdump -p "$shipped" | awk '/DLL Name:/ {print $3}' | sort -f | paste -sd ' ')"
