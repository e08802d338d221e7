#!/usr/bin/env bash
# prefix-up.sh ENV_FILE: makes the tests' Wine prefix ready: created once, crash dialog off,
# a persistent wineserver, and an Xvfb display for the tests that open windows.
set -euo pipefail
source "$1"
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9

if ! xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then
  setsid Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 < /dev/null 9>&- &
  for _ in $(seq 1 100); do
    xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break
    sleep 0.1
  done
fi

if [ ! -f "$WINEPREFIX/.velkor-ready-2" ]; then
  rm -rf "$WINEPREFIX"
  WINEDEBUG=-all WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winedbg.exe=d" "$VELKOR_WINE" wineboot -i >/dev/null 2>&1
  # A crash must end the process with its exception code, not wait in a dialog.
  "$VELKOR_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  # Windows live in a virtual desktop: without a window manager, closing a top-level window
  # on the bare display takes about two seconds.
  "$VELKOR_WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  "$VELKOR_WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  "${WINELOADER%/*}/wineserver" -w
  touch "$WINEPREFIX/.velkor-ready-2"
fi
# Keep one wineserver for the whole run: each program then starts in milliseconds.
setsid "${WINELOADER%/*}/wineserver" -p >/dev/null 2>&1 < /dev/null 9>&- || true
# Start the prefix's own services now, detached from the caller's output, so that they do not
# inherit a test's pipes and keep it from ending.
setsid "$VELKOR_WINE" wineboot >/dev/null 2>&1 < /dev/null 9>&- || true
