#!/usr/bin/env bash
# Prints the lane the tests run in, the shipped architecture wherever it can be had:
#   i686           this kernel runs 32-bit programs itself (32-bit Wine natively);
#   i686-emulated  it does not (32-bit emulation switched off, or an enabled binfmt_misc entry of
#                  the machine hands i386 programs to an interpreter), but scripts/i686-lane.sh
#                  runs them under qemu's user-mode emulator in a binfmt_misc instance of its own;
#   x86_64         neither (a kernel without private binfmt_misc instances): the test tree is
#                  built for 64-bit Windows and the shipped build goes untested (told on stderr).
# VELKOR_TEST_ARCH=i686|i686-emulated|x86_64 overrides. It needs no package and no emulator, so
# scripts/test.sh works the lane out once, before installing, and passes it on in that variable.
set -u

# The smallest i386 ELF program: its header, one loadable segment, and exit(0) through int 0x80.
i386_program() {
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00'
  printf '\x00\x80\x04\x08\x00\x80\x04\x08\x5b\x00\x00\x00\x5b\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\x31\xdb\x31\xc0\x40\xcd\x80'
}

# Whether an enabled binfmt_misc entry of this machine takes the program FILE (the entry's magic
# at its offset, under its mask): the kernel then hands it to that entry's interpreter.
binfmt_takes() {
  local dir=/proc/sys/fs/binfmt_misc header entry offset magic mask i byte
  [ "$(cat "$dir/status" 2>/dev/null)" = enabled ] || return 1
  header=$(od -An -v -tx1 "$1" | tr -d ' \n')
  for entry in "$dir"/*; do
    [ "$(head -n 1 "$entry" 2>/dev/null)" = enabled ] || continue
    offset=$(sed -n 's/^offset //p' "$entry") magic=$(sed -n 's/^magic //p' "$entry") mask=$(sed -n 's/^mask //p' "$entry")
    for ((i = 0; i < ${#magic}; i += 2)); do
      byte=${header:2*offset+i:2}
      [ -n "$byte" ] && (((16#$byte & 16#${mask:i:2}) == (16#${magic:i:2} & 16#${mask:i:2}))) || continue 2
    done
    [ -n "$magic" ] && return 0  # an entry without magic goes by the file name's extension
  done
  return 1
}

if [ -n "${VELKOR_TEST_ARCH:-}" ]; then
  echo "$VELKOR_TEST_ARCH"
elif [ -n "${VELKOR_IN_I686_LANE:-}" ]; then
  echo i686-emulated
else
  program=$(mktemp)
  trap 'rm -f "$program"' EXIT
  i386_program >"$program"
  chmod +x "$program"
  if "$program" 2>/dev/null && ! binfmt_takes "$program"; then
    echo i686
  elif unshare --user --map-root-user --mount --propagation private \
         mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc >/dev/null 2>&1; then
    echo i686-emulated
  else
    echo "test-arch: THE SHIPPED i686 BUILD GOES UNTESTED: this kernel runs no 32-bit program, natively or" \
      "under qemu in a private binfmt_misc instance; the tests run the x86_64 build" >&2
    echo x86_64
  fi
fi
