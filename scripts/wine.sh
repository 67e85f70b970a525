#!/usr/bin/env bash
# Runs the Windows build's programs under Wine, in a Wine prefix of the build's own so that no
# setting of the user's ~/.wine leaks in and every machine starts from the same state.
#   scripts/wine.sh run PREFIX PROGRAM [ARG...]   run one Windows program (CMake's emulator)
#   scripts/wine.sh session PREFIX COMMAND...     make the prefix, start its Wine server, run the
#                                                 Linux COMMAND (ctest), then stop the server
set -euo pipefail

usage() {
    sed -n '2,6p' "$0" >&2
    exit 2
}
[ $# -ge 3 ] || usage
mode=$1
WINEPREFIX=$(realpath -m "$2")
shift 2

# Debian's wine64 runs 64-bit programs only; a 32-bit prefix would need wine32 as well.
export WINEPREFIX WINEARCH=win64
# Wine's own diagnostics would mix with the programs' standard error, which the tests read.
export WINEDEBUG=-all
# Without these, making a prefix offers to download Mono and Gecko, which no program here needs.
export WINEDLLOVERRIDES="mscoree,mshtml="
# The batch command and the tests are console programs: with no display Wine never opens a
# window, not even a crash dialog that would wait for a click.
unset DISPLAY WAYLAND_DISPLAY

case $mode in
run)
    exec wine "$@"
    ;;
session)
    mkdir -p "$WINEPREFIX"
    # A Wine server started by a program inside ctest (or ninja) would inherit its output pipes
    # and hold them open after the program ends, so the caller would wait for it forever. One
    # started here, its output sent elsewhere, serves every program run until it is stopped.
    wineserver -p </dev/null >/dev/null 2>&1
    trap 'wineserver -k 2>/dev/null || true' EXIT
    wine wineboot --init </dev/null >/dev/null 2>&1
    # A crashing program reports on standard error and ends, rather than waiting for a debugger.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        </dev/null >/dev/null 2>&1
    # The window's tests make windows, and there is no display: Wine's null display driver
    # makes them, unseen. A driver is chosen once, by the first program of the server's session
    # (wineboot's explorer), so the server starts again to take it; wineboot then starts
    # explorer and Wine's services here too, for the same reason as the server.
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f \
        </dev/null >/dev/null 2>&1
    wineserver -k 2>/dev/null || true
    wineserver -w
    wineserver -p </dev/null >/dev/null 2>&1
    wine wineboot </dev/null >/dev/null 2>&1
    "$@"
    ;;
*)
    usage
    ;;
esac
