# Shared set-up for the project's scripts: packages, the Wine prefix and a persistent wineserver.
# Source it from bash; it defines functions and exports the Wine environment.
#
# The Wine prefix is the project's own: $LOOKOUT_WINEPREFIX when set, otherwise wineprefix in the
# build folder ($LOOKOUT_BUILD, build/ by default). A WINEPREFIX inherited from the caller is
# neither used nor touched. A prefix is only ever removed when it carries the project's marker.

LOOKOUT_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
LOOKOUT_BUILD=${LOOKOUT_BUILD:-$LOOKOUT_ROOT/build}
LOOKOUT_WINEPREFIX=${LOOKOUT_WINEPREFIX:-$LOOKOUT_BUILD/wineprefix}
# Absolute, so that it means the same folder to every process that inherits it.
case "$LOOKOUT_WINEPREFIX" in
    /*) ;;
    *) LOOKOUT_WINEPREFIX=$PWD/$LOOKOUT_WINEPREFIX ;;
esac
export LOOKOUT_BUILD LOOKOUT_WINEPREFIX
export WINEPREFIX=$LOOKOUT_WINEPREFIX
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
export WINEARCH=win64
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64

# Written into a prefix as soon as the scripts create it: only a folder that holds it may be
# removed and made again. A finished prefix also holds .lookout-ready.
LOOKOUT_PREFIX_MARKER=.lookout-prefix

lookout_need_packages() {
    local missing=()
    command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64-posix)
    command -v x86_64-w64-mingw32-windres >/dev/null || missing+=(binutils-mingw-w64-x86-64)
    [ -x "$WINE64" ] && [ -x "$WINESERVER" ] || missing+=(wine64)
    command -v cmake >/dev/null || missing+=(cmake)
    command -v ninja >/dev/null || missing+=(ninja-build)
    [ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
    # nlohmann/json (header-only): LookoutTree.exe and the test programs read and write tree files.
    [ -f /usr/include/nlohmann/json.hpp ] || missing+=(nlohmann-json3-dev)
    # scripts/clang-check compiles the product with clang as a second compiler.
    command -v clang++ >/dev/null || missing+=(clang)
    # The Python reader and example parent (clients/python) and their tests: standard library only.
    command -v python3 >/dev/null || missing+=(python3)
    # The Node package (clients/node) and its tests: Node's own test runner, no other packages.
    command -v node >/dev/null || command -v nodejs >/dev/null || missing+=(nodejs)
    if [ ${#missing[@]} -gt 0 ]; then
        echo "== installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" = 0 ] || sudo=sudo
        $sudo apt-get update -q >/dev/null
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

# True when the prefix folder is one the scripts made (finished or not).
lookout_prefix_is_ours() {
    [ -f "$WINEPREFIX/$LOOKOUT_PREFIX_MARKER" ] || [ -f "$WINEPREFIX/.lookout-ready" ]
}

# Creates the project's prefix once, with the null graphics driver so that windows work headless,
# and replaces the Documents symlink (it points at $HOME) with a real folder. A half-made prefix
# of ours is made again; a folder of someone else's at that path stops the script instead.
lookout_prefix() {
    if [ ! -f "$WINEPREFIX/.lookout-ready" ]; then
        if [ -e "$WINEPREFIX" ] || [ -L "$WINEPREFIX" ]; then
            if ! lookout_prefix_is_ours; then
                echo "error: $WINEPREFIX exists but was not made by these scripts; it is left" \
                     "alone. Remove it yourself, or set LOOKOUT_WINEPREFIX to another folder." >&2
                return 1
            fi
            echo "== removing the unfinished Wine prefix $WINEPREFIX"
            rm -rf "$WINEPREFIX"
        fi
        echo "== creating Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        touch "$WINEPREFIX/$LOOKOUT_PREFIX_MARKER"
        "$WINE64" wineboot -i >/dev/null 2>&1 </dev/null
        "$WINE64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 </dev/null
        "$WINESERVER" -w
        local docs
        for docs in "$WINEPREFIX"/drive_c/users/*/Documents; do
            if [ -L "$docs" ]; then rm -f "$docs"; mkdir -p "$docs"; fi
        done
        touch "$WINEPREFIX/.lookout-ready"
    fi
    # A crash outside our own guard would start Wine's debugger, which waits for ever without a
    # terminal; with no debugger to start, the process just ends with its exception code.
    if [ ! -f "$WINEPREFIX/.lookout-no-debugger" ]; then
        "$WINE64" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
            /v Debugger /d 'lookout-no-debugger.exe %ld %ld' /f >/dev/null 2>&1 </dev/null
        touch "$WINEPREFIX/.lookout-no-debugger"
    fi
}

# A persistent server keeps process start-up cheap. The services that the first process of a
# server's life starts inherit its stdio and never exit, so they are started here with stdio
# detached; otherwise a pipe reader would wait for end-of-file for ever.
lookout_wineserver() {
    # Detached from our stdio too: a caller reading this script's output (CI) must see its end.
    "$WINESERVER" -p >/dev/null 2>&1 </dev/null || true
    "$WINE64" wineboot >/dev/null 2>&1 </dev/null || true
}

lookout_wineserver_stop() {
    "$WINESERVER" -k 2>/dev/null || true
}

# The cross build from Linux (the "cross" configure preset), in $LOOKOUT_BUILD/mingw, with the
# tests run in the project's prefix.
lookout_build() {
    cmake -S "$LOOKOUT_ROOT" --preset cross -B "$LOOKOUT_BUILD/mingw" \
        -DCMAKE_BUILD_TYPE=${LOOKOUT_BUILD_TYPE:-RelWithDebInfo} \
        -DLOOKOUT_WINEPREFIX="$WINEPREFIX" >/dev/null
    cmake --build "$LOOKOUT_BUILD/mingw"
}

lookout_setup() {
    lookout_need_packages
    lookout_prefix
    lookout_wineserver
}
