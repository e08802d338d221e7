#!/usr/bin/env bash
# dialog-screenshot.sh ENV_FILE PROBE_EXE VELKOR_EXE OUT_DIR
#
# The failure dialog as a picture: Velkor.exe with Velkor.jar beside it but no Java runtime and
# no swingall.jar, in OUT_DIR/install. Writes OUT_DIR/dialog.png and OUT_DIR/dialog.txt and
# checks the text and the picture's size.
set -euo pipefail
env_file=$1 probe=$2 velkor=$3 out=$4
here=$(cd "$(dirname "$0")" && pwd)

rm -rf "$out/install"
mkdir -p "$out/install"
cp "$velkor" "$out/install/Velkor.exe"
printf 'PK' >"$out/install/Velkor.jar"

bash "$here/../support/show-dialog.sh" "$env_file" "$probe" "$out/install/Velkor.exe" "$out/dialog.png" "$out/dialog.txt"

folder=$(printf 'Z:%s\\' "$out/install" | tr '/' '\\')
printf 'Trying the Sun Java runtime...\r\nCould not locate Sun Java runtime\r\nTrying the Mircosoft Java runtime...\r\nDid not find swingall.jar in %sswingall.jar\r\n' \
  "$folder" >"$out/expected.txt"
if ! cmp -s "$out/expected.txt" "$out/dialog.txt"; then
  echo "dialog text differs from the expected text:"
  diff <(od -c "$out/expected.txt") <(od -c "$out/dialog.txt") || true
  exit 1
fi
# The dialog is 287 x 226 dialog units: well over 400 x 300 pixels with its frame.
read -r width height < <(identify -format '%w %h\n' "$out/dialog.png")
if [ "$width" -lt 400 ] || [ "$height" -lt 300 ]; then
  echo "the picture is only ${width}x${height}"
  exit 1
fi
echo "dialog picture: $out/dialog.png (${width}x${height})"
