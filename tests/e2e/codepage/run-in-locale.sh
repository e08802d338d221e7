#!/usr/bin/env bash
# run-in-locale.sh LOCALE ENV_FILE PROGRAM [ARGS...]: runs a Windows test program in the tests'
# Wine prefix under the given Unix locale, from which Wine takes the process's ANSI and OEM
# code pages (en_US.UTF-8: 1252 and 437; ja_JP.UTF-8: 932). Each Wine process picks them at its
# start, so the prefix's persistent wineserver serves both locales.
set -euo pipefail
locale_name=$1
shift
wanted=$(echo "$locale_name" | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')
if ! locale -a 2>/dev/null | tr 'A-Z' 'a-z' | grep -qx "$wanted"; then
  echo "locale $locale_name is not installed (scripts/install-deps.sh generates it)" >&2
  exit 1
fi
export LANG=$locale_name LC_ALL=$locale_name
exec bash "$(dirname "$0")/../../harness/wine-run.sh" "$@"
