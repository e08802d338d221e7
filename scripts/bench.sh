#!/usr/bin/env bash
# The start-up benchmark: builds, then times Velkor.exe against a bare GUI program under Wine,
# interleaved in one run, and prints medians and ratios; then the shipped executable's size
# and the DLLs it imports. Usage: bash scripts/bench.sh [RUNS]   (default 30)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-30}
bash "$root/scripts/install-deps.sh"
tree=$(bash "$root/scripts/build.sh" | tail -n 1)
out=$(dirname "$tree")
env_file="$tree/tests/harness/wine-env.sh"
cmake --build "$tree" --target velkor_bench >/dev/null

"$root/tests/harness/prefix-up.sh" "$env_file"
trap '"$root/tests/harness/prefix-down.sh" "$env_file"' EXIT
echo "Start-up under Wine, test architecture $(basename "$tree" | sed 's/^test-//'):"
"$root/tests/harness/wine-run.sh" "$env_file" "$tree/tests/bench/velkor_bench.exe" "$runs" \
  "$tree/Velkor.exe" "$tree/tests/standins/javai/full/javai.dll" \
  "$tree/tests/standins/comvm/ComVm.dll" "$tree/tests/bench/velkor_bare_gui.exe" \
  "$tree/tests/bench/velkor_bare_imports.exe"

shipped="$out/i686/Velkor.exe"
echo
echo "Shipped executable: $shipped"
echo "  size: $(stat -c %s "$shipped") bytes"
echo "  imports: $(i686-w64-mingw32-objdump -p "$shipped" | awk '/DLL Name:/ {print $3}' | sort -f | paste -sd ' ')"
