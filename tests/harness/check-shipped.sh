#!/usr/bin/env bash
# check-shipped.sh EXE [TEST_EXE]: the shipped executable is a 32-bit (PE32) Windows GUI program
# that imports only functions of shipped-imports.txt (an import not there is printed), from
# system DLLs that Windows always loads from its own folder, names no other DLL it could load,
# carries its resources, and asks for ASLR but not DEP; TEST_EXE, the loader that the tests run,
# is the same bytes.
set -u
# DLLs named in its text: javai.dll is the runtime's (loaded from the runtime's folder),
# version.dll, ole32 and oleaut32 are loaded by full path from the system folder, and the start-up
# code of the DWARF unwinder only asks whether libgcc_s_dw2-1.dll is loaded already.
actual=$( (i686-w64-mingw32-objdump -p "$1" | awk -F'\t' '/^(Magic|Subsystem|DllCharacteristics)/ {print $NF} /^The \.rsrc / {print ".rsrc"}
    /DLL Name:/ {dll = tolower(substr($2, 11))} /^\t[0-9a-f]+\t *[0-9]+ +[A-Za-z_]/ {sub(/.* /, "", $3); print "import", dll, $3}' | grep -v -x -F -f <(sed -n 's/^[a-z]/import &/p' "${0%/*}/shipped-imports.txt")
  (strings -a "$1"; strings -a -el "$1") | grep -i -o '[a-z0-9_.-]*\.dll' | tr A-Z a-z | sort -u | sed 's/^/names /'
  [ -z "${2:-}" ] || cmp -s "$1" "$2" || echo "the tests run another loader: $2") | paste -sd ' ')
expected="(PE32) (Windows GUI) 00000040 .rsrc names advapi32.dll names javai.dll names kernel32.dll names libgcc_s_dw2-1.dll names msvcrt.dll names ole32.dll names oleaut32.dll names user32.dll names version.dll"
[ "$actual" = "$expected" ] || { printf 'FAILED\nexpected: %s\nactual:   %s\n0 passed, 1 failed\n' "$expected" "$actual"; exit 1; }
echo "1 passed, 0 failed"
