#!/usr/bin/env bash
# Runs the real-key tests on a virtual X display of their own, under the openbox window manager,
# which gives the window its focus as a desktop would.
#   tests/app/qt/real_keys_test.sh TEST_PROGRAM [GTEST_ARGUMENTS...]
set -euo pipefail
for tool in Xvfb openbox xdotool; do
    command -v "$tool" >/dev/null ||
        { echo "real_keys_test: $tool is missing; scripts/install-deps.sh installs it" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
mkfifo "$work/display" "$work/wm"
exec 4<>"$work/wm"  # read below without waiting for a writer to open it
# The server picks a display no other server holds, and tells its number once it listens.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
read -r number <"$work/display"
export DISPLAY=:$number
openbox --startup "sh -c 'echo >$work/wm'" >"$work/openbox.log" 2>&1 &
read -r -t 60 -u 4 ||
    { echo "real_keys_test: openbox did not start on $DISPLAY" >&2; cat "$work/openbox.log" >&2; exit 1; }
QT_QPA_PLATFORM=xcb "$1" "${@:2}"
