#!/usr/bin/env bash
# Drives the Windows window as a user would, under Wine on a virtual X display: it starts from
# another folder with a data folder beside it, its status saying where the pages are read from
# (control_text.exe, beside the window program, reads it), Collect is clicked where the drawn layout puts it,
# and the listing beside the program must be the batch command's listing of the same folder.
# A second run, started with Enter on the button reached by Shift+Tab from the Save to box, adds
# the rows again (the list, copied whole with Ctrl+A and Ctrl+C, holds them twice) and writes the
# same file; Shift+F10 or the menu key opens the list's menu with Copy active, which Enter
# chooses. The id column, dragged wider before the first click, keeps its width through the
# runs: a click on its title there sorts the rows; Ctrl+A and Delete empty the list, and the next
# run's rows come sorted. A run that finds no page asks before it writes the header alone over the
# listing's rows; Enter answers No, and the listing stays. Esc while a run reads a large page
# stops it, and nothing is written. A
# file that cannot be read brings the failure message, writes nothing and leaves the window open;
# Alt+F4 then ends the program with status 0. After the first click the status's Show pages link
# opens the list of the pages without a record or lacking a field, whose lines, copied with
# Ctrl+C, are those the batch command's --explain prints; Tab from the Save to box reaches the
# link, and Enter or Space opens it.
#   form1_gui_test.sh WINDOW_EXE CLI_EXE SAMPLE_DATA WORK_DIR
# Wine runs in WORK_DIR/wineprefix (scripts/wine-window-common.sh starts it, and the display).
set -euo pipefail

[ $# -eq 4 ] || { sed -n '2,20p' "$0" >&2; exit 2; }
me=form1_gui_test
window_exe=$(realpath "$1")
cli_exe=$(realpath "$2")
samples=$(realpath "$3")
work=$(realpath -m "$4")
# shellcheck source=scripts/wine-window-common.sh
source "$(dirname "$(realpath "$0")")/../../../scripts/wine-window-common.sh"

# The id column's right edge as the window opens (the list's edge and 100 pixels), where it is
# dragged to, and a point on its title then, beyond where a run would fit it.
readonly id_edge_x=110 id_dragged_x=300 id_title_x=250 title_y=18
# The middle of the Save to box.
readonly box_x=368 box_y=329

# The sample pages, and a page under a name beyond ASCII whose record lacks its reference: its
# first cell is drawn dimmed.
make_program_folder() {
    copy_program_folder
    printf '%s\n' "array ( 'ID' => '7', 'NAME' => 'Caf"$'\xc3\xa9'" au lait', 'PRICE' => 3.10," \
        "'MIN_QUANTITY_ORDERABLE' => 1, 'THUMBNAIL' => 'img/cafe.jpg',  }, " \
        >"$app/data/caf"$'\xc3\xa9 \xe2\x80\x93 \xc3\x9f'".html"
}

check_start_status() {
    wait_until 60 status_is "$start_status" || fail "the status at the start is: $(shown_status)"
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
    drag_id_column
    click_collect
    wait_until 60 listing_written || fail "after the first click output.txt is not the listing"
    local rows=$scratch/rows-once.txt
    tail -n +2 "$scratch/reference.txt" | tr -d '\r' >"$rows"
    xdo windowfocus --sync "$window"
    wait_until 30 rows_shown_are "$rows" || fail "after the first click the list is not the rows"
}

check_second_click() {
    rm "$app/output.txt"
    xdo windowfocus --sync "$window"
    xdo mousemove --window "$window" "$box_x" "$box_y" click 1
    xdo key shift+Tab Return
    wait_until 60 listing_written || fail "Enter on the button wrote no listing the second time"

    local rows=$scratch/rows-twice.txt
    { tail -n +2 "$scratch/reference.txt" && tail -n +2 "$scratch/reference.txt"; } |
        tr -d '\r' >"$rows"
    xdo windowfocus --sync "$window"
    wait_until 30 rows_shown_are "$rows" || fail "the list does not hold the rows twice"
}

# The rows of the reference listing sorted by id, each COPIES times, equal ids in the order
# collected, and the page whose record lacks its id last. The sample ids differ only in their
# digits, all four long, so their byte order is the window's. Rows end in CR LF; values may hold
# line ends of their own.
sorted_rows() {
    awk -v RS='\r\n' -v copies="$1" '
        NR > 1 && $0 != "" {
            for (i = 0; i < copies; i++) {
                if (index($0, "String Matching Failed\t") == 1) { last = last $0 "\n"; continue }
                n++
                row[n] = $0
                id[n] = substr($0, 1, index($0, "\t") - 1)
                for (j = n; j > 1 && id[j - 1] > id[j]; j--) {
                    t = row[j]; row[j] = row[j - 1]; row[j - 1] = t
                    t = id[j]; id[j] = id[j - 1]; id[j - 1] = t
                }
            }
        }
        END { for (j = 1; j <= n; j++) print row[j]; printf "%s", last }' "$scratch/reference.txt"
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

# Nothing selected: Ctrl+C copies every line. Esc closes the list.
check_show_pages() {
    [ -s "$scratch/explained.txt" ] || fail "the batch command explained no page"
    open_page_list
    xdo windowfocus --sync "$pages"
    wait_until 30 eval 'xdo key ctrl+c && copied_rows_are "$scratch/explained.txt"' ||
        fail "the list's lines are not those of --explain: $(timeout 5 xclip -o \
            -selection clipboard 2>/dev/null | head -n 5)"
    close_page_list
}

# Tab from the box reaches the link, which Enter or Space opens.
check_link_by_keyboard() {
    local key
    for key in Return space; do
        xdo windowfocus --sync "$window"
        xdo mousemove --window "$window" "$box_x" "$box_y" click 1
        xdo key Tab "$key"
        wait_until 30 pages_shown || fail "Tab from the box and $key opened no page list"
        pages=$(pages_window)
        close_page_list
    done
}

# Shift+F10 or the menu key opens the list's menu with its first item, Copy, active.
check_menu_by_keyboard() {
    local key
    for key in shift+F10 Menu; do
        xdo windowfocus --sync "$window"
        xdo mousemove --window "$window" "$first_row_x" "$first_row_y" click 1
        xdo key ctrl+a
        printf 'before' | timeout 5 xclip -i -selection clipboard
        open_menu "$key"
        xdo key Return
        wait_until 30 copied_rows_are "$scratch/rows-twice.txt" ||
            fail "$key and Enter did not copy the rows"
    done
}

check_empty_run() {
    mv "$app/data" "$app/data-away"
    click_collect
    wait_until 60 failure_box_shown || fail "an empty run over a listing with rows asked nothing"
    local question
    question=$(visible_windows | grep -vx "$window" | head -n 1)
    xdo windowfocus --sync "$question"
    xdo key Return
    wait_until 10 failure_box_gone || fail "the question did not close"
    mv "$app/data-away" "$app/data"
    listing_written || fail "No, the default, still replaced the listing"
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

start_display
start_wine
make_program_folder
make_reference_listing
start_window
check_start_status
check_first_click
check_show_pages
check_link_by_keyboard
check_second_click
check_empty_run
check_menu_by_keyboard
check_sort_and_clear
check_stop
check_failure
check_close
echo "form1_gui_test: passed"
