#!/usr/bin/env bash
# Runs the end-to-end scenarios of a Japanese system (CodePage932.*) in a Wine prefix of their
# own: Wine takes the ANSI code page from the host's locale, so every Wine command of that prefix
# runs with a ja_JP locale generated into the build folder. Fails when they were skipped.
#
#   codepage_932.sh <e2e_tests.exe>
set -euo pipefail
e2e_exe=$1
source "$(dirname "$0")/../../scripts/env.sh"
locales=$LOOKOUT_BUILD/locales
mkdir -p "$locales"
[ -f "$locales/ja_JP.UTF-8/LC_CTYPE" ] || localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8"
export LOCPATH=$locales LC_ALL=ja_JP.UTF-8
export LOOKOUT_WINEPREFIX=$LOOKOUT_BUILD/wineprefix-932 WINEPREFIX=$LOOKOUT_BUILD/wineprefix-932
lookout_prefix
trap 'lookout_wineserver_stop' EXIT
lookout_wineserver
out=$("$WINE64" "$e2e_exe" --gtest_filter='CodePage932.*' </dev/null 2>&1) || {
    echo "$out"
    exit 1
}
echo "$out"
if ! grep -q '^\[  PASSED  \]' <<<"$out" || grep -q '^\[  SKIPPED \]' <<<"$out"; then
    echo "codepage_932.sh: the scenarios did not run in code page 932" >&2
    exit 1
fi
