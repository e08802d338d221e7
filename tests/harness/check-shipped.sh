#!/usr/bin/env bash
# check-shipped.sh EXE [TEST_EXE]: the shipped executable is a 32-bit (PE32) Windows GUI program
# that imports only functions of shipped-imports.txt, from system DLLs that Windows always loads
# from its own folder, names no other DLL it could load, carries its resources, and asks for ASLR
# but not DEP; TEST_EXE, the loader that the tests run, is the same bytes.
set -u
# DLLs named in its text: javai.dll is the runtime's (loaded from the runtime's folder),
# version.dll, ole32 and oleaut32 are loaded by full path from the system folder, and the start-up
# code of the DWARF unwinder only asks whether libgcc_s_dw2-1.dll is loaded already.
actual=$( (i686-w64-mingw32-objdump -p "$1" | awk -F'\t' '/^Magic/ || /^Subsystem/ || /^DllCharacteristics/ {print $NF}'
  i686-w64-mingw32-objdump -p "$1" | awk '/DLL Name:/ {dll = tolower($3)} /^\t[0-9a-f]+\t *[0-9]+ +[A-Za-z_]/ {print dll, $NF}' |
    grep -v -x -F -f <(grep -v '^#' "$(dirname "$0")/shipped-imports.txt") | sed 's/^/imports, not allowed: /'
  (strings -a "$1"; strings -a -el "$1") | grep -i -o '[a-z0-9_.-]*\.dll' | tr A-Z a-z | sort -u | sed 's/^/names /'
  i686-w64-mingw32-objdump -h "$1" | grep -o '\.rsrc'
  [ -z "${2:-}" ] || cmp -s "$1" "$2" || echo "the tests run another loader: $2") | paste -sd ' ')
expected="(PE32) (Windows GUI) 00000040 names advapi32.dll names javai.dll names kernel32.dll names libgcc_s_dw2-1.dll names msvcrt.dll names ole32.dll names oleaut32.dll names user32.dll names version.dll .rsrc"
[ "$actual" = "$expected" ] && echo "1 passed, 0 failed" && exit 0
printf 'FAILED\nexpected: %s\nactual:   %s\n0 passed, 1 failed\n' "$expected" "$actual"
exit 1
