#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs every test under Wine.
# Extra arguments go to ctest (for example -R jni to run a subset).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
tree=$(bash "$root/scripts/build.sh" | tail -n 1)
echo "Testing in $tree"
ctest --test-dir "$tree" --output-on-failure "$@"
