#!/usr/bin/env bash
# The scripts' Wine prefix: an inherited WINEPREFIX is never used, a folder the scripts did not
# make is never removed, and wine-run starts nothing in a prefix the scripts did not finish.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# With no prefix of the project's named, the one in the build folder is used, not the caller's.
prefix=$(env -u LOOKOUT_WINEPREFIX WINEPREFIX="$scratch/inherited" LOOKOUT_BUILD="$scratch/build" \
    bash -c 'source "$1/scripts/env.sh"; echo "$WINEPREFIX"' _ "$root")
[ "$prefix" = "$scratch/build/wineprefix" ] || fail "the scripts chose $prefix"

# Someone else's folder where the project's prefix should be: the set-up stops and keeps it.
mkdir "$scratch/theirs"
echo keep >"$scratch/theirs/file"
output=$(LOOKOUT_WINEPREFIX="$scratch/theirs" bash -c 'source "$1/scripts/env.sh"; lookout_prefix' \
    _ "$root" 2>&1) && fail "the set-up went on in a folder that is not the project's"
[ "$(cat "$scratch/theirs/file" 2>/dev/null)" = keep ] || fail "a foreign folder was changed"
grep -q "was not made by these scripts" <<<"$output" || fail "no reason given: $output"

# wine-run refuses that folder and one that does not exist, and creates neither.
"$root/scripts/wine-run" --prefix "$scratch/theirs" x.exe 2>/dev/null && fail "wine-run ran in theirs"
"$root/scripts/wine-run" --prefix "$scratch/none" x.exe 2>/dev/null && fail "wine-run ran in none"
[ ! -e "$scratch/none" ] && [ "$(ls -A "$scratch/theirs")" = file ] || fail "wine-run made a prefix"
exit "$failed"
