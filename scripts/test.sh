#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs every test under Wine.
# Extra arguments go to ctest (for example -R jni to run a subset).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Only scripts/i686-lane.sh tells the runner that it runs there, not a variable of the caller's.
unset VELKOR_IN_I686_LANE
# The lane, worked out once and passed on: install-deps.sh fetches the emulator only for the
# emulated one, build.sh builds the test tree of its architecture.
lane=$(bash "$root/scripts/test-arch.sh")
export VELKOR_TEST_ARCH=$lane
bash "$root/scripts/install-deps.sh"
tree=$(bash "$root/scripts/build.sh" | tail -n 1)
# The shipped executable is the same bytes when built again from another folder.
bash "$root/scripts/check-reproducible.sh" "$(dirname "$tree")/i686/Velkor.exe"
# A failed test fails the run: nothing is run again.
case $lane in
  i686) echo "Testing the i686 build, natively, in $tree" ;;
  i686-emulated) echo "Testing the i686 build, emulated (qemu-i386 in a private binfmt_misc instance), in $tree" ;;
  *) echo "Testing the $lane build in $tree: THE SHIPPED i686 BUILD GOES UNTESTED" ;;
esac
run=(ctest --test-dir "$tree" --output-on-failure "$@")
[ "$lane" != i686-emulated ] || run=(bash "$root/scripts/i686-lane.sh" "${run[@]}")
status=0
"${run[@]}" || status=$?
# The rows that this lane does not run, each with the runner's reason: CTest keeps the output of a
# test that passed in its log only.
grep -h ': not run, ' "$tree/Testing/Temporary/LastTest.log" 2>/dev/null | sort -u || true
exit "$status"
