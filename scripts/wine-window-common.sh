# shellcheck shell=bash
# Sourced, not run: the Windows window started under Wine on a virtual X display, and the steps a
# user takes in it, for its test (tests/app/win32/form1_gui_test.sh) and its pictures
# (scripts/window-pictures-windows.sh). The caller sets `me` (its name in messages), window_exe,
# cli_exe, samples (the sample pages) and work (a folder of its own), all absolute.
# Wine runs in work/wineprefix, a prefix of its own, whose server and programs are ended on exit,
# as is the X server. Every wait is on what the window does (a window shown or gone, a file
# written or closed, a control's text), polled with a limit well beyond what it needs, so that a
# window that never answers fails instead of hanging.

# The drawn layout puts Collect at 7080, 4800 twips, 1695 by 375: its centre at 96 dots an inch.
readonly collect_x=528 collect_y=332
# A point on the list's first row.
readonly first_row_x=100 first_row_y=40
# A point on the Show pages link, at the right end of the status strip (8, 351, 577 by 34).
readonly show_pages_x=577 show_pages_y=357
readonly pages_title='Pages that gave no row, lack a field or were read through a wrapping'
# The status's control id (kStatusId in src/app/win32/form1.cpp).
readonly status_id=105

export WINEPREFIX=$work/wineprefix WINEARCH=win64 WINEDEBUG=-all
# Making a prefix would otherwise offer to download Mono and Gecko, which nothing here needs.
export WINEDLLOVERRIDES="mscoree,mshtml="

mkdir -p "$work"
scratch=$(mktemp -d "$work/run.XXXXXX")
app=$scratch/app
xvfb_pid=
wine_started=
window_pid=

cleanup() {
    if [ -n "$wine_started" ]; then
        wineserver -k 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT
# Stopped from outside (Ctrl+C, ctest's end), the X server and Wine still go.
trap 'exit 1' INT TERM HUP

fail() {
    echo "$me: $*" >&2
    [ -s "$scratch/window.log" ] && sed 's/^/  window: /' "$scratch/window.log" >&2
    exit 1
}

# Every step has a time limit, so that a window that never answers fails instead of hanging:
# xdotool's --sync, for one, waits for ever.
xdo() {
    timeout 20 xdotool "$@"
}

# Runs the command until it succeeds, for at most SECONDS.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.2
    done
}

# A display number of its own, well away from the :0 of a desktop and the :99 of the other tests;
# one taken by another X server is skipped.
start_display() {
    local number
    for number in $(seq 140 179); do
        [ -e "/tmp/.X$number-lock" ] && continue
        Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
        xvfb_pid=$!
        export DISPLAY=":$number"
        if wait_until 10 xdo getdisplaygeometry >/dev/null 2>&1; then
            return
        fi
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=
    done
    fail "no X display could be started"
}

# The server is started here, its output sent elsewhere: one started by a program would inherit
# ctest's pipes and hold them open after the test ends.
start_wine() {
    mkdir -p "$WINEPREFIX"
    wineserver -p </dev/null >/dev/null 2>&1
    wine_started=1
    timeout 240 wine wineboot --init </dev/null >/dev/null 2>&1 || fail "wineboot failed"
    # A crash reports and ends, rather than waiting for a click on a debugger dialog.
    timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 \
        /f </dev/null >/dev/null 2>&1 || fail "the crash dialog could not be switched off"
}

# The programs, and the sample pages in the data folder beside them.
copy_program_folder() {
    mkdir -p "$app/data" "$scratch/elsewhere"
    cp "$window_exe" "$cli_exe" "$app/"
    cp "$samples"/* "$app/data/"
}

# The listing the batch command makes of the same folder, started the same way, and the lines
# its --explain prints after the summary.
make_reference_listing() {
    (cd "$scratch/elsewhere" && timeout 120 wine "$app/$(basename "$cli_exe")" --explain) \
        </dev/null >/dev/null 2>"$scratch/cli.log" ||
        fail "the batch command failed: $(cat "$scratch/cli.log")"
    mv "$app/output.txt" "$scratch/reference.txt"
    tail -n +2 "$scratch/cli.log" | tr -d '\r' >"$scratch/explained.txt"
}

visible_windows() {
    xdo search --onlyvisible --name '^Form1$' 2>/dev/null || true
}

window_shown() {
    [ -n "$(visible_windows)" ]
}

start_window() {
    (cd "$scratch/elsewhere" && exec timeout 600 wine "$app/$(basename "$window_exe")") \
        </dev/null >"$scratch/window.log" 2>&1 &
    window_pid=$!
    wait_until 60 window_shown || fail "no window titled Form1 appeared"
    window=$(visible_windows | head -n 1)
}

# The text of the control with the id given (control_text.exe, beside the window program, reads
# what no X tool can), its lines joined again: a line ends at a blank, or after a backslash.
control_text() {
    timeout 60 wine "$(dirname "$window_exe")/control_text.exe" "$1" </dev/null \
        2>/dev/null | tr -d '\r' | sed -e ':a' -e 'N' -e '$!ba' -e 's/\\\n/\\/g' -e 's/\n/ /g'
}

shown_status() {
    control_text "$status_id"
}

# The status's text matches the glob PATTERN.
status_is() {
    local status
    status=$(shown_status)
    # shellcheck disable=SC2053 # a glob, on purpose
    [[ "$status" == $1 ]]
}

# Before the first run, and after Clear list: the data folder, its path shortened in the middle
# where it is long.
readonly start_status='Reads the pages in *\\app\\data'

click_collect() {
    xdo mousemove --window "$window" "$collect_x" "$collect_y" click 1
}

listing_written() {
    cmp -s "$app/output.txt" "$scratch/reference.txt"
}

# Held open by the program (or the Wine server for it) while the run reads it.
file_open() {
    [ -n "$(find /proc/[0-9]*/fd -lname "$1" 2>/dev/null || true)" ]
}

pages_window() {
    xdo search --onlyvisible --name "^$pages_title\$" 2>/dev/null | head -n 1 || true
}

pages_shown() {
    [ -n "$(pages_window)" ]
}

open_page_list() {
    xdo mousemove --window "$window" "$show_pages_x" "$show_pages_y" click 1
    wait_until 30 pages_shown || fail "Show pages opened no list titled '$pages_title'"
    pages=$(pages_window)
}

close_page_list() {
    xdo windowfocus --sync "$pages"
    xdo key Escape
    wait_until 10 eval '! pages_shown' || fail "Esc did not close the list"
}

# The list's menu is a window of the program's own without a title; no other is shown.
menu_shown() {
    local id
    for id in $(xdo search --onlyvisible --classname "^$(basename "$window_exe")\$" 2>/dev/null); do
        [ -z "$(xdo getwindowname "$id" 2>/dev/null)" ] && return 0
    done
    return 1
}

# Opens the list's menu with KEY over what is selected; the keys sent after it must wait for the
# menu, or the list takes them.
open_menu() {
    xdo key "$1"
    wait_until 30 menu_shown || fail "$1 opened no menu"
}

failure_box_shown() {
    [ "$(visible_windows | wc -l)" -ge 2 ]
}

failure_box_gone() {
    [ "$(visible_windows | wc -l)" -eq 1 ]
}

# Under Wine a link to /proc/self/mem is read through Linux, which fails with an I/O error: the
# run fails, and its message box is shown (as `box`).
show_failure_box() {
    ln -s /proc/self/mem "$app/data/zz-unreadable"
    click_collect
    wait_until 60 failure_box_shown || fail "a file that cannot be read brought no message"
    box=$(visible_windows | grep -vx "$window" | head -n 1)
}

close_failure_box() {
    xdo windowfocus --sync "$box"
    xdo key Return
    wait_until 10 failure_box_gone || fail "the message did not close"
    rm "$app/data/zz-unreadable"
}

# Alt+F4 ends the program, with status 0.
check_close() {
    xdo windowfocus --sync "$window"
    xdo key alt+F4
    local status=0
    wait_until 30 eval '! kill -0 "$window_pid" 2>/dev/null' || fail "Alt+F4 did not end the program"
    wait "$window_pid" || status=$?
    window_pid=
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
}
