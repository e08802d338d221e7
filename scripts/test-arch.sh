#!/usr/bin/env bash
# Prints the lane the tests run in, the shipped architecture wherever it can be had:
#   i686           this kernel runs 32-bit programs (32-bit Wine natively);
#   i686-emulated  it cannot, but scripts/i686-lane.sh runs them under qemu's user-mode emulator;
#   x86_64         neither (a kernel without private binfmt_misc instances): the test tree is
#                  built for 64-bit Windows and the shipped build goes untested (told on stderr).
# VELKOR_TEST_ARCH=i686|i686-emulated|x86_64 overrides.
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -n "${VELKOR_TEST_ARCH:-}" ]; then
  echo "$VELKOR_TEST_ARCH"
elif [ -n "${VELKOR_IN_I686_LANE:-}" ]; then
  echo i686-emulated
elif /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  echo i686
elif bash "$root/scripts/i686-lane.sh" /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  echo i686-emulated
else
  echo "test-arch: THE SHIPPED i686 BUILD GOES UNTESTED: this kernel runs no 32-bit program, natively or" \
    "under qemu in a private binfmt_misc instance; the tests run the x86_64 build" >&2
  echo x86_64
fi
