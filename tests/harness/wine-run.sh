#!/usr/bin/env bash
# wine-run.sh ENV_FILE PROGRAM [ARGS...]: runs a Windows program in the tests' Wine prefix.
set -euo pipefail
source "$1"
shift
exec "$VELKOR_WINE" "$@"
