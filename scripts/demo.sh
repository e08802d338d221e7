#!/usr/bin/env bash
# demo.sh [SCENARIO...]: the loader at work on a fresh Debian machine.
#
# Installs what is missing, builds, and runs each scenario (default: all of them) under Wine in
# an install folder of its own in the build tree (build/demo/SCENARIO/). A scenario that ends
# in the failure dialog leaves a picture of it there (dialog.png) and prints the launch log
# read from the dialog; the dialog is then closed with OK.
#
# Scenarios:
#   jni         a JDK 1.1 runtime registered in the registry (the test stand-in javai.dll): the
#               loader starts the application on it; what the runtime was given is printed.
#   later       a runtime of a later generation (Java 1.3 to 8) registered as its installer
#               registers it (the test stand-in jvm.dll in jre\bin\client, with the library it
#               imports in jre\bin): the loader starts the application on it through JNI 1.2; the
#               options that the runtime received are printed.
#   com         no JDK 1.1 runtime, but the COM Java VM registered (the test stand-in): the
#               loader falls back to it; what the VM was given is printed.
#   no_runtime  Velkor.exe and Velkor.jar, but no Java runtime and no swingall.jar: the loader
#               tries the Sun runtime, then the Microsoft VM, and reports why neither started.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${VELKOR_BUILD_DIR:-$root/build}

[ -n "${VELKOR_IN_I686_LANE:-}" ] || echo "== Installing what is missing and building"
# The lane, worked out once and passed on to the scripts below.
lane=${VELKOR_TEST_ARCH:-$(bash "$root/scripts/test-arch.sh")}
export VELKOR_TEST_ARCH=$lane
bash "$root/scripts/install-deps.sh"
# Only what the demo runs: the loader, the stand-ins and the dialog probe.
tree=$(bash "$root/scripts/build.sh" Velkor javai_standin jvm_standin velkor_comvm scenarios | tail -n 1)
# The demo runs the shipped executable, so 32-bit programs must run: where this kernel runs none,
# the rest of the demo goes on under qemu's emulator (scripts/i686-lane.sh).
if [ "$lane" = i686-emulated ] && [ -z "${VELKOR_IN_I686_LANE:-}" ]; then
  exec bash "$root/scripts/i686-lane.sh" bash "$0" "$@"
fi
loader="$out/i686/Velkor.exe"
if [ "$lane" = x86_64 ]; then
  echo "== This machine runs no 32-bit program: the demo runs the x86_64 test build, not the shipped Velkor.exe"
  loader="$tree/Velkor.exe"
fi
env_file="$tree/tests/harness/wine-env.sh"
probe="$tree/tests/scenarios/scenarios.exe"
demo="$out/demo"

bash "$root/tests/harness/prefix-up.sh" "$env_file"
trap 'bash "$root/tests/harness/prefix-down.sh" "$env_file"' EXIT

# new_install_folder SCENARIO: an empty install folder holding Velkor.exe; prints its path.
new_install_folder() {
  local folder="$demo/$1"
  rm -rf "$folder"
  mkdir -p "$folder"
  cp "$loader" "$folder/Velkor.exe"
  echo "$folder"
}

# run_loader FOLDER: runs FOLDER/Velkor.exe (with the caller's exported variables) and reports
# how it ended: the dialog's picture and log, or an end without a dialog.
run_loader() {
  local folder=$1 status=0
  bash "$root/scripts/show-dialog.sh" "$env_file" "$probe" "$folder/Velkor.exe" \
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

# windows_path UNIX_PATH: the path as Wine's Z: drive shows it.
windows_path() { echo "Z:$1" | tr / '\\'; }

# reg ARGS...: Wine's reg.exe in the demo's prefix, in the loader's own registry view.
reg() { (source "$env_file" && "$VELKOR_WINE" reg "$@" >/dev/null 2>&1); }

java_soft='HKLM\Software\JavaSoft'
vm_class='HKCR\CLSID\{3EFB1800-C2A1-11CF-960C-0080C7C2BA87}'

# print_record FILE: what a stand-in recorded.
print_record() {
  if [ -s "$1" ]; then tr -d '\r' <"$1" | sed 's/^/    | /'; else echo "    (nothing recorded)"; fi
}

scenario_jni() {
  echo "Install folder: Velkor.exe, Velkor.jar and swingall.jar; a JDK 1.1 runtime (the stand-in"
  echo "javai.dll) registered under $java_soft\\Java Runtime Environment, version 1.1."
  local folder
  folder=$(new_install_folder jni)
  printf 'PK' >"$folder/Velkor.jar"
  printf 'PK' >"$folder/swingall.jar"
  mkdir -p "$folder/jre/bin"
  cp "$tree/tests/standins/javai/full/javai.dll" "$folder/jre/bin/javai.dll"
  reg delete "$java_soft" /f || true
  reg delete "$vm_class" /f || true
  reg add "$java_soft\\Java Runtime Environment" /v CurrentVersion /d 1.1 /f
  reg add "$java_soft\\Java Runtime Environment\\1.1" /v JavaHome /d "$(windows_path "$folder/jre")" /f
  rm -f "$folder/runtime-record.txt"
  VELKOR_TRANSCRIPT=$(windows_path "$folder/runtime-record.txt") run_loader "$folder"
  echo "What the runtime was given:"
  print_record "$folder/runtime-record.txt"
  reg delete "$java_soft" /f || true
}

scenario_later() {
  echo "Install folder: Velkor.exe, Velkor.jar and swingall.jar; a Java 8 runtime (the stand-in jvm.dll"
  echo "in jre\\bin\\client, importing velkordep.dll from jre\\bin) registered under"
  echo "$java_soft\\Java Runtime Environment, version 1.8."
  local folder home
  folder=$(new_install_folder later)
  printf 'PK' >"$folder/Velkor.jar"
  printf 'PK' >"$folder/swingall.jar"
  mkdir -p "$folder/jre/bin/client"
  cp "$tree/tests/standins/javai/later/jvm.dll" "$folder/jre/bin/client/jvm.dll"
  cp "$tree/tests/standins/javai/velkordep.dll" "$folder/jre/bin/velkordep.dll"
  home=$(windows_path "$folder/jre")
  reg delete "$java_soft" /f || true
  reg delete "$vm_class" /f || true
  reg add "$java_soft\\Java Runtime Environment" /v CurrentVersion /d 1.8 /f
  reg add "$java_soft\\Java Runtime Environment\\1.8" /v JavaHome /d "$home" /f
  reg add "$java_soft\\Java Runtime Environment\\1.8" /v RuntimeLib /d "$home\\bin\\client\\jvm.dll" /f
  reg add "$java_soft\\Java Runtime Environment\\1.8" /v MicroVersion /d 0 /f
  rm -f "$folder/runtime-record.txt"
  VELKOR_TRANSCRIPT=$(windows_path "$folder/runtime-record.txt") run_loader "$folder"
  echo "What the runtime was given:"
  print_record "$folder/runtime-record.txt"
  reg delete "$java_soft" /f || true
}

scenario_com() {
  echo "Install folder: Velkor.exe, Velkor.jar and swingall.jar; no JDK 1.1 runtime; the COM Java"
  echo "VM (the stand-in ComVm.dll) registered as $vm_class."
  local folder
  folder=$(new_install_folder com)
  printf 'PK' >"$folder/Velkor.jar"
  printf 'PK' >"$folder/swingall.jar"
  cp "$tree/tests/standins/comvm/ComVm.dll" "$folder/ComVm.dll"
  reg delete "$java_soft" /f || true
  reg add "$vm_class\\InprocServer32" /ve /d "$(windows_path "$folder/ComVm.dll")" /f
  reg add "$vm_class\\InprocServer32" /v ThreadingModel /d Both /f
  rm -f "$folder/vm-record.txt"
  VELKOR_TRANSCRIPT=$(windows_path "$folder/vm-record.txt") run_loader "$folder"
  echo "What the VM was given:"
  print_record "$folder/vm-record.txt"
  reg delete "$vm_class" /f || true
}

scenario_no_runtime() {
  echo "Install folder: Velkor.exe and Velkor.jar; no Java runtime installed, no swingall.jar."
  local folder
  folder=$(new_install_folder no_runtime)
  printf 'PK' >"$folder/Velkor.jar"
  run_loader "$folder"
}

all_scenarios=(jni later com no_runtime)
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
