#!/usr/bin/env bash
# Draws the Windows window in each state a user meets, under Wine on a virtual X display
# (imagemagick's import), on the sample pages: after a run as the README shows it
# (DOCS_DIR/window-windows.png), the list Show pages opens, a line selected
# (window-show-pages-win32.png), and in DOCS_DIR/states/win32-*.png before the first run, with
# its menu open, reading a large page, stopped, with a failure's message, after Clear list, and
# after a run on an empty data folder.
#   scripts/window-pictures-windows.sh WINDOW_EXE CLI_EXE SAMPLE_DATA WORK_DIR DOCS_DIR
# Wine runs in WORK_DIR/wineprefix (scripts/wine-window-common.sh starts it, and the display).
set -euo pipefail

[ $# -eq 5 ] || { sed -n '2,9p' "$0" >&2; exit 2; }
me='window-pictures-windows'
window_exe=$(realpath "$1")
cli_exe=$(realpath "$2")
samples=$(realpath "$3")
work=$(realpath -m "$4")
docs=$(realpath -m "$5")
# shellcheck source=scripts/wine-window-common.sh
source "$(dirname "$(realpath "$0")")/wine-window-common.sh"

# The progress note's control id (kProgressNoteId in src/app/win32/form1.cpp).
readonly progress_note_id=112

# TARGET as it is painted now, in FILE (a format without a date in it, so that two alike are the
# same bytes): a window; or, for the menu, which is a window of its own, the screen where the
# window lies.
capture() {
    if [ "$2" = menu ]; then
        local WINDOW X Y WIDTH HEIGHT SCREEN
        eval "$(xdo getwindowgeometry --shell "$window")"
        timeout 30 import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "ppm:$1"
    else
        timeout 30 import -window "$2" "ppm:$1"
    fi
}

# What was asked for is painted once two captures in a row are alike.
settled() {
    capture "$scratch/picture.ppm" "$1"
    cmp -s "$scratch/picture.ppm" "$scratch/before.ppm" ||
        { mv "$scratch/picture.ppm" "$scratch/before.ppm" && return 1; }
}

# Draws TARGET into FILE once its picture has settled; the window shows the state already.
draw() {
    [ "$2" = menu ] || xdo mousemove 1000 750  # away from the window: no tooltip over it
    rm -f "$scratch/before.ppm"
    wait_until 60 settled "$2" || fail "the picture for $1 did not settle"
    timeout 30 convert "$scratch/picture.ppm" "$1"
    echo "$me: drew $1"
}

# Before the first run the status names the data folder.
draw_start() {
    wait_until 60 status_is "$start_status" || fail "the status at the start is: $(shown_status)"
    draw "$1/win32-start.png" "$window"
}

# The run's end is taken once the status counts what was written.
draw_rows_and_pages() {
    click_collect
    wait_until 60 listing_written || fail "the first click wrote no listing"
    wait_until 60 status_is '* written to output.txt *' ||
        fail "after the first run the status is: $(shown_status)"
    draw "$docs/window-windows.png" "$window"
    open_page_list
    # The sample pages' widest line, the third, selected: the box below the list shows it whole.
    xdo windowfocus --sync "$pages"
    xdo key Home Down Down
    draw "$docs/window-show-pages-win32.png" "$pages"
    close_page_list
}

menu_by_keyboard() {
    xdo windowfocus --sync "$window"
    xdo mousemove --window "$window" "$first_row_x" "$first_row_y" click 1
    open_menu shift+F10
}

# Once the menu is shown, settled is the whole menu.
draw_menu() {
    menu_by_keyboard
    draw "$1/win32-menu.png" menu
    xdo key Escape
}

progress_note() {
    control_text "$progress_note_id"
}

# The note's text, shown only for a slow page, is not NOTE any more: once it names the page, a
# change is a later tick of the progress taken, and the window paints what it set before it takes
# a tick.
note_changed_from() {
    local now
    now=$(progress_note)
    [ -n "$now" ] && [ "$now" != "$1" ]
}

# A sparse page, read for long enough for the window to name it; its figures go on changing, so
# the picture never settles: it is taken once a tick has passed after the name was shown. Esc
# then stops the run.
draw_reading_and_stopped() {
    local large=$app/data/zz-catalog-dump.html note
    truncate -s 64G "$large"
    rm "$app/output.txt"
    click_collect
    wait_until 60 file_open "$large" || fail "the run did not reach the large page"
    wait_until 60 note_changed_from "" || fail "the window did not name the large page"
    note=$(progress_note)
    wait_until 60 note_changed_from "$note" || fail "the large page's progress stood still"
    xdo mousemove 1000 750
    capture "$scratch/picture.ppm" "$window"
    timeout 30 convert "$scratch/picture.ppm" "$1/win32-reading.png"
    echo "$me: drew $1/win32-reading.png"
    xdo key Escape
    wait_until 60 eval '! file_open "$large"' || fail "Esc did not stop the run"
    wait_until 60 status_is 'Run stopped' || fail "after Esc the status is: $(shown_status)"
    draw "$1/win32-stopped.png" "$window"
    rm "$large"
}

listing_written_anew() {
    [ -e "$app/output.txt" ]
}

draw_failure() {
    show_failure_box
    draw "$1/win32-failure.png" "$box"
    close_failure_box
    click_collect
    wait_until 60 listing_written_anew || fail "the run after the failure wrote no listing"
    wait_until 60 status_is '* written to output.txt *' ||
        fail "after the run the status is: $(shown_status)"
}

# Clear list gives the status of the start again.
draw_cleared() {
    menu_by_keyboard
    xdo key Down Down Down Return  # Clear list
    wait_until 60 status_is "$start_status" || fail "after Clear list the status is: $(shown_status)"
    draw "$1/win32-cleared.png" "$window"
}

draw_no_pages() {
    mkdir "$scratch/away" && mv "$app/data"/* "$scratch/away/"
    rm "$app/output.txt"
    click_collect
    wait_until 60 listing_written_anew || fail "a run on an empty folder wrote no listing"
    wait_until 60 status_is 'The data folder is empty*' ||
        fail "after a run on an empty folder the status is: $(shown_status)"
    draw "$1/win32-no-pages.png" "$window"
}

start_display
start_wine
copy_program_folder
make_reference_listing
start_window
mkdir -p "$docs/states"
# In the order a user would meet them.
draw_start "$docs/states"
draw_rows_and_pages
draw_menu "$docs/states"
draw_reading_and_stopped "$docs/states"
draw_failure "$docs/states"
draw_cleared "$docs/states"
draw_no_pages "$docs/states"
check_close
