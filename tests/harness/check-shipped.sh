#!/usr/bin/env bash
# check-shipped.sh EXE: the shipped executable is a 32-bit Windows GUI program that imports only
# system DLLs that Windows always loads from its own folder, and carries its resources.
set -u
exe=$1
headers=$(i686-w64-mingw32-objdump -p "$exe" 2>&1) || { echo "cannot read $exe"; exit 1; }
failed=0
check() {
  if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; failed=$((failed + 1)); fi
}
imports=$(awk '/DLL Name:/ {print tolower($3)}' <<<"$headers" | sort | paste -sd ' ')
check "PE32 (32-bit)" 'grep -q "Magic.*010b.*PE32" <<<"$headers"'
check "GUI subsystem" 'grep -q "Subsystem.*(Windows GUI)" <<<"$headers"'
check "imports only known system DLLs ($imports)" \
  '[ "$imports" = "advapi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll user32.dll" ]'
check "resources present" 'i686-w64-mingw32-objdump -h "$exe" | grep -q "\.rsrc"'
echo "$((4 - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
