#!/usr/bin/env bash
# Runs the scenarios of a Japanese system (CodePage932.*) of <e2e_tests.exe> in a Wine prefix of
# their own: Wine takes the code page from the host's locale, here a generated ja_JP one.
set -euo pipefail
source "$(dirname "$0")/../../scripts/env.sh"
locales=$LOOKOUT_BUILD/locales
[ -f "$locales/ja_JP.UTF-8/LC_CTYPE" ] ||
    { mkdir -p "$locales" && localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8"; }
export LOCPATH=$locales LC_ALL=ja_JP.UTF-8
export LOOKOUT_WINEPREFIX=$LOOKOUT_BUILD/wineprefix-932 WINEPREFIX=$LOOKOUT_BUILD/wineprefix-932
lookout_prefix
trap 'lookout_wineserver_stop' EXIT
lookout_wineserver
out=$("$WINE64" "$1" --gtest_filter='CodePage932.*' </dev/null 2>&1) || { echo "$out"; exit 1; }
echo "$out"
# Skipped scenarios pass too: they must have run.
grep -q '^\[  PASSED  \]' <<<"$out" && ! grep -q '^\[  SKIPPED \]' <<<"$out"
