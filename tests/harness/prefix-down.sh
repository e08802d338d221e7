#!/usr/bin/env bash
# prefix-down.sh ENV_FILE: stops the wineserver and the Xvfb display that prefix-up.sh started.
source "$1"
"${WINELOADER%/*}/wineserver" -k >/dev/null 2>&1 || true
pkill -f "Xvfb $DISPLAY " >/dev/null 2>&1 || true
exit 0
