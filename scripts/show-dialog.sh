#!/usr/bin/env bash
# show-dialog.sh ENV_FILE SCENARIOS_EXE LOADER_EXE PNG_OUT TEXT_OUT
#
# Runs LOADER_EXE (a Unix path) in the test prefix's Wine virtual desktop on the tests' Xvfb
# display, waits for its failure dialog, saves a picture of the dialog (frame included) as
# PNG_OUT, writes the dialog's log text byte for byte to TEXT_OUT, closes the dialog with OK
# and waits for the loader to end. The prefix must be up (tests/harness/prefix-up.sh).
# Exit code: 0 done; 2 no dialog within 30 s; 3 the picture could not be taken; 4 the loader
# did not end after the dialog was closed; 5 the loader ended without showing the dialog.
# SCENARIOS_EXE is the test tree's scenario runner, whose probe mode reads and closes the dialog.
# Variables exported by the caller reach the loader's environment (stand-ins read theirs).
set -euo pipefail
env_file=$1 probe=$2 loader=$3 png=$4 text=$5
source "$env_file"

# Wine draws the caption's close box with the Marlett font; this Wine reads fonts from the
# prefix only, so give it the one from the fonts-wine package when that is installed.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ]; then
  cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
fi

"$VELKOR_WINE" "$loader" >/dev/null 2>&1 &
loader_pid=$!

# Wait for the dialog, or for the loader to end without one.
"$VELKOR_WINE" "$probe" probe --close none >"$text" &
probe_pid=$!
while kill -0 "$probe_pid" 2>/dev/null && kill -0 "$loader_pid" 2>/dev/null; do
  sleep 0.1
done
if ! kill -0 "$loader_pid" 2>/dev/null; then
  sleep 0.5  # a dialog found at the last moment still counts
  if kill -0 "$probe_pid" 2>/dev/null; then
    kill "$probe_pid" 2>/dev/null || true
    wait "$probe_pid" 2>/dev/null || true
    : >"$text"
    exit 5
  fi
fi
if ! wait "$probe_pid"; then
  kill "$loader_pid" 2>/dev/null || true
  wait "$loader_pid" 2>/dev/null || true
  exit 2
fi

status=0
sleep 0.7  # let the dialog finish painting

# The virtual desktop is one X window; the dialog is a child window of it.
desktop_id=$(xwininfo -display "$DISPLAY" -name "Default - Wine desktop" | awk '/Window id:/ {print $4}')
geometry=$(xwininfo -display "$DISPLAY" -id "$desktop_id" -children |
  awk '/"Could Not Start Velkor"/ {for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+\+-?[0-9]+\+-?[0-9]+$/) {print $i; exit}}')
if [ -z "$desktop_id" ] || [ -z "$geometry" ] ||
   ! import -display "$DISPLAY" -window "$desktop_id" -crop "$geometry" +repage "$png"; then
  status=3
fi

"$VELKOR_WINE" "$probe" probe --close ok >/dev/null || true
for _ in $(seq 1 100); do
  kill -0 "$loader_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$loader_pid" 2>/dev/null; then
  kill "$loader_pid" 2>/dev/null || true
  [ "$status" -ne 0 ] || status=4
fi
wait "$loader_pid" 2>/dev/null || true
exit "$status"
