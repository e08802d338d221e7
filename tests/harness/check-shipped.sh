#!/usr/bin/env bash
# check-shipped.sh EXE [TEST_EXE]: the shipped executable is a 32-bit (PE32) Windows GUI program
# that imports only system DLLs that Windows always loads from its own folder, carries its
# resources, and asks for ASLR but not DEP; TEST_EXE, the loader that the tests run, is the same bytes.
set -u
actual=$( (i686-w64-mingw32-objdump -p "$1" | awk -F'\t' '/^Magic/ || /^Subsystem/ || /^DllCharacteristics/ {print $NF} /DLL Name:/ {print tolower($2)}' | sort
  i686-w64-mingw32-objdump -h "$1" | grep -o '\.rsrc'
  [ -z "${2:-}" ] || cmp -s "$1" "$2" || echo "the tests run another loader: $2") | paste -sd ' ')
expected="(PE32) (Windows GUI) 00000040 dll name: advapi32.dll dll name: kernel32.dll dll name: msvcrt.dll dll name: ole32.dll dll name: oleaut32.dll dll name: user32.dll .rsrc"
[ "$actual" = "$expected" ] && echo "1 passed, 0 failed" && exit 0
printf 'FAILED\nexpected: %s\nactual:   %s\n0 passed, 1 failed\n' "$expected" "$actual"
exit 1
