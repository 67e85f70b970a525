#!/usr/bin/env bash
# Runs the window's real-key tests (real_keys_test.cpp) on a display of their own: a virtual X
# server with the openbox window manager, as a desktop would give the window its focus.
#   tests/app/qt/real_keys_test.sh TEST_PROGRAM [GTEST_ARGUMENTS...]
set -euo pipefail

program=$1
for tool in Xvfb openbox xdotool; do
    if ! command -v "$tool" >/dev/null; then
        echo "real_keys_test: $tool is missing; scripts/install-deps.sh installs it" >&2
        exit 1
    fi
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# The server picks a display no other server holds, and tells its number once it listens.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
read -r number <"$work/display"
export DISPLAY=:$number

openbox --startup "touch $work/wm-ready" >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 600); do
    [ -e "$work/wm-ready" ] && break
    sleep 0.1
done
if [ ! -e "$work/wm-ready" ]; then
    echo "real_keys_test: openbox did not start on $DISPLAY" >&2
    cat "$work/openbox.log" >&2
    exit 1
fi

QT_QPA_PLATFORM=xcb "$program" "${@:2}"
