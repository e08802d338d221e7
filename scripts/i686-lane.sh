#!/usr/bin/env bash
# i686-lane.sh COMMAND [ARGS...]: runs COMMAND where 32-bit programs run, for a kernel whose
# 32-bit emulation is switched off. In a user and mount namespace of its own, a private
# binfmt_misc instance (Linux 6.7 and later) hands every i386 ELF program to qemu's user-mode
# emulator; the rest of the machine is left as it is. Everything that may start a 32-bit
# program (wineboot, wine, ctest and the test programs) runs inside; apt cannot.
set -euo pipefail
qemu=${VELKOR_QEMU_I386:-/usr/local/libexec/velkor/qemu-i386}
if [ -z "${VELKOR_IN_I686_LANE:-}" ]; then
  [ -x "$qemu" ] || { echo "i686-lane: no emulator at $qemu (scripts/install-deps.sh installs it)" >&2; exit 1; }
  export VELKOR_IN_I686_LANE=1
  exec unshare --user --map-root-user --mount --propagation private bash "$0" "$@"
fi
if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  # qemu's own i386 entry: the ELF header of a 32-bit x86 executable or shared object. With F,
  # the kernel opens the emulator now, so it is found whatever the namespace mounts later.
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu"':F' \
    > /proc/sys/fs/binfmt_misc/register
fi
exec "$@"
