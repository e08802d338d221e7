#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs every test under Wine.
# Extra arguments go to ctest (for example -R jni to run a subset).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
tree=$(bash "$root/scripts/build.sh" | tail -n 1)
# The shipped executable is the same bytes when built again from another folder.
bash "$root/scripts/check-reproducible.sh" "$(dirname "$tree")/i686/Velkor.exe"
echo "Testing in $tree"
# A failed test fails the run: nothing is run again.
ctest --test-dir "$tree" --output-on-failure "$@"
