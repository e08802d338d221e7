#!/usr/bin/env bash
# check-reproducible.sh [REFERENCE_EXE]: builds the shipped Velkor.exe from a copy of the source
# tree in a temporary folder and compares it byte for byte with REFERENCE_EXE (an executable
# built from the same sources in another folder, such as build/i686/Velkor.exe), or, without
# one, with a second build in another temporary folder. Prints a one-line verdict; exits
# non-zero when they differ.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# build NAME: copies the sources to $work/NAME/src, builds Velkor there; prints the exe's path.
build() {
  local src="$work/$1/src" out="$work/$1/build"
  mkdir -p "$src"
  tar -C "$root" --exclude=./build --exclude=./.git -cf - . | tar -C "$src" -xf -
  cmake -S "$src" -B "$out" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/toolchain-i686-mingw.cmake" >/dev/null
  cmake --build "$out" -j "$jobs" --target Velkor >/dev/null
  echo "$out/Velkor.exe"
}

first=$(build a)
second=${1:-$(build second-copy-in-a-longer-folder)}
if cmp -s "$first" "$second"; then
  echo "reproducible: Velkor.exe is byte-identical in two builds from different folders ($(stat -c %s "$first") bytes)"
else
  echo "NOT reproducible: the two builds of Velkor.exe differ in $(cmp -l "$first" "$second" | wc -l) bytes"
  exit 1
fi
