#!/usr/bin/env bash
# demo.sh [SCENARIO...]: the loader at work on a fresh Debian machine.
#
# Installs what is missing, builds, and runs each scenario (default: all of them) under Wine in
# an install folder of its own in the build tree (build/demo/SCENARIO/). A scenario that ends
# in the failure dialog leaves a picture of it there (dialog.png) and prints the launch log
# read from the dialog; the dialog is then closed with OK.
#
# Scenarios:
#   no_runtime  Velkor.exe and Velkor.jar, but no Java runtime and no swingall.jar: the loader
#               tries the Sun runtime, then the Microsoft VM, and reports why neither started.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${VELKOR_BUILD_DIR:-$root/build}

echo "== Installing what is missing and building"
bash "$root/scripts/install-deps.sh"
tree=$(bash "$root/scripts/build.sh" | tail -n 1)
env_file="$tree/tests/harness/wine-env.sh"
probe="$tree/tests/e2e/support/velkor_probe.exe"
demo="$out/demo"

bash "$root/tests/harness/prefix-up.sh" "$env_file"
trap 'bash "$root/tests/harness/prefix-down.sh" "$env_file"' EXIT

# new_install_folder SCENARIO: an empty install folder holding Velkor.exe; prints its path.
new_install_folder() {
  local folder="$demo/$1"
  rm -rf "$folder"
  mkdir -p "$folder"
  cp "$tree/Velkor.exe" "$folder/Velkor.exe"
  echo "$folder"
}

# run_loader FOLDER: runs FOLDER/Velkor.exe (with the caller's exported variables) and reports
# how it ended: the dialog's picture and log, or an end without a dialog.
run_loader() {
  local folder=$1 status=0
  bash "$root/tests/e2e/support/show-dialog.sh" "$env_file" "$probe" "$folder/Velkor.exe" \
    "$folder/dialog.png" "$folder/dialog.txt" || status=$?
  case $status in
    0 | 3 | 4)
      echo "The failure dialog \"Could Not Start Velkor\" appeared. Its launch log:"
      tr -d '\r' <"$folder/dialog.txt" | sed 's/^/    | /'
      echo
      if [ "$status" -eq 3 ]; then echo "(no picture could be taken)"; else echo "Picture: $folder/dialog.png"; fi
      ;;
    5) echo "The loader ended without showing the failure dialog." ;;
    *) echo "No dialog appeared and the loader did not end within 30 s." ; return 1 ;;
  esac
}

scenario_no_runtime() {
  echo "Install folder: Velkor.exe and Velkor.jar; no Java runtime installed, no swingall.jar."
  local folder
  folder=$(new_install_folder no_runtime)
  printf 'PK' >"$folder/Velkor.jar"
  run_loader "$folder"
}

all_scenarios=(no_runtime)
[ $# -gt 0 ] || set -- "${all_scenarios[@]}"
for scenario in "$@"; do
  if ! declare -F "scenario_$scenario" >/dev/null; then
    echo "unknown scenario: $scenario (known: ${all_scenarios[*]})" >&2
    exit 1
  fi
  echo
  echo "== Scenario $scenario"
  "scenario_$scenario"
done
