#!/usr/bin/env bash
# i686-lane.sh COMMAND [ARGS...]: runs COMMAND where 32-bit programs run, for a kernel whose
# 32-bit emulation is switched off. In a user and mount namespace of its own, a private
# binfmt_misc instance (Linux 6.7 and later) hands every i386 ELF program to qemu's user-mode
# emulator; the rest of the machine is left as it is. Everything that may start a 32-bit
# program (wineboot, wine, ctest and the test programs) runs inside; apt cannot.
set -euo pipefail
qemu=${VELKOR_QEMU_I386:-/usr/local/libexec/velkor/qemu-i386}
# Inside or not is told by the marker argument that only the re-execution below passes, never by
# the environment: a variable of the caller's must not make it register qemu for the whole machine.
if [ "${1:-}" != --in-namespace ]; then
  [ -x "$qemu" ] || { echo "i686-lane: no emulator at $qemu (scripts/install-deps.sh installs it)" >&2; exit 1; }
  exec unshare --user --map-root-user --mount --propagation private bash "$0" --in-namespace "$@"
fi
shift
# And the process says so itself: unshare's namespace maps one user, the machine's the whole range.
read -r _ _ users </proc/self/uid_map
[ "$users" = 1 ] || { echo "i686-lane: not in a namespace of its own; nothing registered" >&2; exit 1; }
# Always an instance of its own, even where an entry of the machine's is visible, so that the
# emulator run is this one.
mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
# qemu's own i386 entry: the ELF header of a 32-bit x86 executable or shared object. With F, the
# kernel opens the emulator now, so it is found whatever the namespace mounts later.
printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu"':F' \
  > /proc/sys/fs/binfmt_misc/register
# For the scenario runner and scripts/test-arch.sh, which read it.
export VELKOR_IN_I686_LANE=1
exec "$@"
