#!/usr/bin/env bash
# Drives the Windows window as a user would, under Wine on a virtual X display: it starts from
# another folder with a data folder beside it, its status saying where the pages are read from
# (control_text.exe, beside the window program, reads it), Collect is clicked where the drawn layout puts it,
# and the listing beside the program must be the batch command's listing of the same folder.
# A second click adds the rows again (the list, copied whole with Ctrl+A and Ctrl+C, holds them
# twice) and writes the same file; Shift+F10 or the menu key opens the list's menu, whose Copy
# copies them. The id column, dragged wider before the first click, keeps its width through the
# runs: a click on its title there sorts the rows; Ctrl+A and Delete empty the list, and the next
# run's rows come sorted. Esc while a run reads a large page stops it, and nothing is written. A
# file that cannot be read brings the failure message, writes nothing and leaves the window open;
# Alt+F4 then ends the program with status 0. After the first click the status's Show pages link
# opens the list of the pages without a record or lacking a field, whose lines, copied with
# Ctrl+C, are those the batch command's --explain prints; Tab from the Save to box reaches the
# link, and Enter or Space opens it.
#   form1_gui_test.sh WINDOW_EXE CLI_EXE SAMPLE_DATA WORK_DIR [DOCS_DIR]
# Wine runs in WORK_DIR/wineprefix, a prefix of its own, whose server and programs are ended on
# exit, as is the X server. Given DOCS_DIR, no test is made: the window is drawn instead in each
# state a user meets (imagemagick's import), on the sample pages alone: after a run as the
# README shows it (DOCS_DIR/window-windows.png), the list Show pages opens
# (window-show-pages-win32.png), and in DOCS_DIR/states/win32-*.png before the first run, with
# its menu open, reading a large page, stopped, with a failure's message, after Clear list, and
# after a run on an empty data folder.
set -euo pipefail

[ $# -ge 4 ] || { sed -n '2,23p' "$0" >&2; exit 2; }
window_exe=$(realpath "$1")
cli_exe=$(realpath "$2")
samples=$(realpath "$3")
work=$(realpath -m "$4")
docs=${5:+$(realpath -m "$5")}

# The drawn layout puts Collect at 7080, 4800 twips, 1695 by 375: its centre at 96 dots an inch.
readonly collect_x=528 collect_y=332
# A point on the list's first row. The id column's right edge as the window opens (the list's
# edge and 100 pixels), where it is dragged to, and a point on its title then, beyond where a
# run would fit it.
readonly first_row_x=100 first_row_y=40
readonly id_edge_x=110 id_dragged_x=300 id_title_x=250 title_y=18
# The middle of the Save to box.
readonly box_x=368 box_y=329
# A point on the Show pages link, at the right end of the status strip (8, 351, 577 by 34).
readonly show_pages_x=577 show_pages_y=357
readonly pages_title='Pages that gave no row or lack a field'
# The status's control id (kStatusId in src/win32_window/form1.cpp).
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
    echo "form1_gui_test: $*" >&2
    [ -s "$scratch/window.log" ] && sed 's/^/  window: /' "$scratch/window.log" >&2
    exit 1
}

# Every step has a time limit, so that a window that never answers fails the test instead of
# hanging it: xdotool's --sync, for one, waits for ever.
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

# The sample pages, and for the test a page under a name beyond ASCII whose record lacks its
# reference: its first cell is drawn dimmed.
make_program_folder() {
    mkdir -p "$app/data" "$scratch/elsewhere"
    cp "$window_exe" "$cli_exe" "$app/"
    cp "$samples"/* "$app/data/"
    [ -z "$docs" ] || return 0
    printf '%s\n' "array ( 'ID' => '7', 'NAME' => 'Caf"$'\xc3\xa9'" au lait', 'PRICE' => 3.10," \
        "'MIN_QUANTITY_ORDERABLE' => 1, 'THUMBNAIL' => 'img/cafe.jpg',  }, " \
        >"$app/data/caf"$'\xc3\xa9 \xe2\x80\x93 \xc3\x9f'".html"
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

# The status's text, its lines joined again: a line ends at a blank, or after a backslash.
shown_status() {
    timeout 60 wine "$(dirname "$window_exe")/control_text.exe" "$status_id" </dev/null \
        2>/dev/null | tr -d '\r' | sed -e ':a' -e 'N' -e '$!ba' -e 's/\\\n/\\/g' -e 's/\n/ /g'
}

# Before the first run: the data folder, its path shortened in the middle where it is long.
start_status_shown() {
    local status
    status=$(shown_status)
    [[ "$status" == "Reads the pages in "*'\app\data' ]]
}

check_start_status() {
    [ -z "$docs" ] || return 0
    wait_until 60 start_status_shown || fail "the status at the start is: $(shown_status)"
}

click_collect() {
    xdo mousemove --window "$window" "$collect_x" "$collect_y" click 1
}

listing_written() {
    cmp -s "$app/output.txt" "$scratch/reference.txt"
}

# Wine hands the clipboard to X with LF line ends.
copied_rows_are() {
    cmp -s <(timeout 5 xclip -o -selection clipboard 2>/dev/null) "$1"
}

# The rows are shown, and the button enabled again, only once the window has taken the run's
# end, a moment after the listing is written: a click before that would be lost.
rows_shown_are() {
    xdo mousemove --window "$window" "$first_row_x" "$first_row_y" click 1
    xdo key ctrl+a ctrl+c
    copied_rows_are "$1"
}

# Before any run: every run then keeps the width, as the sort by a click on it shows.
drag_id_column() {
    xdo mousemove --window "$window" "$id_edge_x" "$title_y" mousedown 1
    local x
    for x in $(seq $((id_edge_x + 10)) 10 "$id_dragged_x"); do
        xdo mousemove --window "$window" "$x" "$title_y"
    done
    xdo mouseup 1
}

check_first_click() {
    [ -n "$docs" ] || drag_id_column
    click_collect
    wait_until 60 listing_written || fail "after the first click output.txt is not the listing"
    [ -z "$docs" ] || return 0  # a selected row would be in the picture
    local rows=$scratch/rows-once.txt
    tail -n +2 "$scratch/reference.txt" | tr -d '\r' >"$rows"
    xdo windowfocus --sync "$window"
    wait_until 30 rows_shown_are "$rows" || fail "after the first click the list is not the rows"
}

check_second_click() {
    rm "$app/output.txt"
    click_collect
    wait_until 60 listing_written || fail "after the second click output.txt is not the listing"

    local rows=$scratch/rows-twice.txt
    { tail -n +2 "$scratch/reference.txt" && tail -n +2 "$scratch/reference.txt"; } |
        tr -d '\r' >"$rows"
    xdo windowfocus --sync "$window"
    wait_until 30 rows_shown_are "$rows" || fail "the list does not hold the rows twice"
}

# The rows of the reference listing sorted by id, each COPIES times: in the order collected,
# but for the page whose record lacks its id, which comes last. Rows end in CR LF; values may
# hold line ends of their own.
sorted_rows() {
    awk -v RS='\r\n' -v copies="$1" '
        NR > 1 && $0 != "" {
            for (i = 0; i < copies; i++) {
                if (index($0, "String Matching Failed\t") == 1) last = last $0 "\n"; else print
            }
        }
        END { printf "%s", last }' "$scratch/reference.txt"
}

check_sort_and_clear() {
    local rows=$scratch/rows-sorted.txt
    sorted_rows 2 >"$rows"
    xdo mousemove --window "$window" "$id_title_x" "$title_y" click 1
    wait_until 30 rows_shown_are "$rows" ||
        fail "a click on the id column, dragged wider before the runs, did not sort the rows"
    xdo key ctrl+a Delete
    rm "$app/output.txt"
    click_collect
    wait_until 60 listing_written || fail "after clearing the list, a click wrote no listing"
    sorted_rows 1 >"$rows"
    xdo windowfocus --sync "$window"
    wait_until 30 rows_shown_are "$rows" || fail "Ctrl+A and Delete did not empty the list"
}

# Held open by the program (or the Wine server for it) while the run reads it.
file_open() {
    [ -n "$(find /proc/[0-9]*/fd -lname "$1" 2>/dev/null || true)" ]
}

# The page is sparse: large enough to keep the run reading it for a long time, on no disk.
check_stop() {
    local large=$app/data/zz-large.html
    truncate -s 64G "$large"
    rm "$app/output.txt"
    click_collect
    wait_until 60 file_open "$large" || fail "the run did not reach the large page"
    xdo key Escape
    wait_until 60 eval '! file_open "$large"' || fail "Esc did not stop the run"
    [ ! -e "$app/output.txt" ] || fail "a stopped run wrote output.txt"
    rm "$large"
    xdo windowfocus --sync "$window"
    wait_until 30 rows_shown_are "$scratch/rows-sorted.txt" || fail "a stopped run changed the rows"
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

# Nothing selected: Ctrl+C copies every line. Esc closes the list.
check_show_pages() {
    [ -s "$scratch/explained.txt" ] || fail "the batch command explained no page"
    open_page_list
    xdo windowfocus --sync "$pages"
    wait_until 30 eval 'xdo key ctrl+c && copied_rows_are "$scratch/explained.txt"' ||
        fail "the list's lines are not those of --explain: $(timeout 5 xclip -o \
            -selection clipboard 2>/dev/null | head -n 5)"
    xdo key Escape
    wait_until 10 eval '! pages_shown' || fail "Esc did not close the list"
}

# Tab from the box reaches the link, which Enter or Space opens.
check_link_by_keyboard() {
    local key
    for key in Return space; do
        xdo windowfocus --sync "$window"
        xdo mousemove --window "$window" "$box_x" "$box_y" click 1
        xdo key Tab "$key"
        wait_until 30 pages_shown || fail "Tab from the box and $key opened no page list"
        xdo windowfocus --sync "$(pages_window)"
        xdo key Escape
        wait_until 10 eval '! pages_shown' || fail "Esc did not close the list"
    done
}

# Shift+F10 or the menu key opens the list's menu, whose first item copies the selected rows.
check_menu_by_keyboard() {
    local key
    for key in shift+F10 Menu; do
        xdo windowfocus --sync "$window"
        xdo mousemove --window "$window" "$first_row_x" "$first_row_y" click 1
        xdo key ctrl+a
        printf 'before' | timeout 5 xclip -i -selection clipboard
        xdo key "$key" Down Return
        wait_until 30 copied_rows_are "$scratch/rows-twice.txt" ||
            fail "$key, Down and Enter did not copy the rows"
    done
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

check_failure() {
    show_failure_box
    [ ! -e "$app/output.txt" ] || fail "a failed run wrote output.txt"
    [ "$(ls -A "$app" | sort | tr '\n' ' ')" = \
        "$(basename "$cli_exe") $(basename "$window_exe") data " ] ||
        fail "a failed run left files behind: $(ls -A "$app")"
    close_failure_box
    kill -0 "$window_pid" 2>/dev/null || fail "the window closed after the failure"
}

check_close() {
    xdo windowfocus --sync "$window"
    xdo key alt+F4
    local status=0
    wait_until 30 eval '! kill -0 "$window_pid" 2>/dev/null' || fail "Alt+F4 did not end the program"
    wait "$window_pid" || status=$?
    window_pid=
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
}

# A window as it is painted now; with the menu open, the screen where the window lies, as the
# menu is a window of its own.
draw() {
    [ "$2" = menu ] || xdo mousemove 1000 750  # away from the window: no tooltip over it
    sleep 1  # what was asked for is painted
    if [ "$2" = menu ]; then
        local WINDOW X Y WIDTH HEIGHT SCREEN
        eval "$(xdo getwindowgeometry --shell "$window")"
        timeout 30 import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$1"
    else
        timeout 30 import -window "$2" "$1"
    fi
    echo "form1_gui_test: drew $1"
}

menu_by_keyboard() {
    xdo windowfocus --sync "$window"
    xdo mousemove --window "$window" "$first_row_x" "$first_row_y" click 1
    xdo key shift+F10
}

# The window in each state a user meets, in the order a user would meet them.
draw_states() {
    local states=$docs/states
    mkdir -p "$states"
    draw "$states/win32-start.png" "$window"
    click_collect
    wait_until 60 listing_written || fail "the first click wrote no listing"
    draw "$docs/window-windows.png" "$window"
    open_page_list
    draw "$docs/window-show-pages-win32.png" "$pages"
    xdo windowfocus --sync "$pages"
    xdo key Escape
    wait_until 10 eval '! pages_shown' || fail "Esc did not close the list"
    menu_by_keyboard
    draw "$states/win32-menu.png" menu
    xdo key Escape
    draw_reading_and_stopped "$states"
    draw_failure "$states"
    menu_by_keyboard
    xdo key Down Down Down Return  # Clear list
    draw "$states/win32-cleared.png" "$window"
    mkdir "$scratch/away" && mv "$app/data"/* "$scratch/away/"
    rm "$app/output.txt"
    click_collect
    wait_until 60 listing_written_anew || fail "a run on an empty folder wrote no listing"
    draw "$states/win32-no-pages.png" "$window"
}

listing_written_anew() {
    [ -e "$app/output.txt" ]
}

# A sparse page, read long enough for the window to name it; Esc then stops the run.
draw_reading_and_stopped() {
    local large=$app/data/zz-catalog-dump.html
    truncate -s 64G "$large"
    rm "$app/output.txt"
    click_collect
    wait_until 60 file_open "$large" || fail "the run did not reach the large page"
    sleep 1  # the window names a page once it has read it for a second
    draw "$1/win32-reading.png" "$window"
    xdo key Escape
    wait_until 60 eval '! file_open "$large"' || fail "Esc did not stop the run"
    draw "$1/win32-stopped.png" "$window"
    rm "$large"
}

draw_failure() {
    show_failure_box
    draw "$1/win32-failure.png" "$box"
    close_failure_box
    click_collect
    wait_until 60 listing_written_anew || fail "the run after the failure wrote no listing"
}

start_display
start_wine
make_program_folder
make_reference_listing
start_window
if [ -n "$docs" ]; then
    draw_states
    check_close
    exit 0
fi
check_start_status
check_first_click
check_show_pages
check_link_by_keyboard
check_second_click
check_menu_by_keyboard
check_sort_and_clear
check_stop
check_failure
check_close
echo "form1_gui_test: passed"
