#!/usr/bin/env bash
# Prints the Windows architecture the tests run as: i686 where this kernel runs 32-bit Wine
# natively, x86_64 where it cannot (32-bit emulation switched off). VELKOR_TEST_ARCH overrides.
if [ -n "${VELKOR_TEST_ARCH:-}" ]; then
  echo "$VELKOR_TEST_ARCH"
elif [ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1 &&
     ! grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386; then
  echo i686
else
  echo x86_64
fi
