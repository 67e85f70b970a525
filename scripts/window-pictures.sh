#!/usr/bin/env bash
# Draws the Qt window in each state a user meets, offscreen: the README's two pictures in docs/
# and the others in docs/states/ (qt-*.png).
#   scripts/window-pictures.sh SNAPSHOT_PROGRAM EXAMPLES_DATA DOCS_DIR
set -euo pipefail

snapshot=$(realpath "$1")
examples=$(realpath "$2")
docs=$(realpath -m "$3")
work=$(mktemp -d /tmp/shop-office.XXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$docs/states"
export QT_QPA_PLATFORM=offscreen

# A program folder beside a data folder holding the sample pages, or what the state needs.
program_folder() {
    local folder=$work/$1
    mkdir -p "$folder"
    echo "$folder"
}
samples() {
    local folder
    folder=$(program_folder "$1")
    cp -r "$examples" "$folder/data"
    echo "$folder"
}
draw() {
    "$snapshot" "$1" "$2" "$3"
    echo "window-pictures: drew $2"
}

draw "$(samples rows)" "$docs/window.png" rows
draw "$(samples pages)" "$docs/window-show-pages.png" pages
for state in start menu cleared dark rtl wide; do
    draw "$(samples "$state")" "$docs/states/qt-$state.png" "$state"
done
draw "$(program_folder no-pages)" "$docs/states/qt-no-pages.png" no-pages
# A folder where the listing should go: the write fails, and the run with it.
failing=$(samples failure)
mkdir "$failing/output.txt"
draw "$failing" "$docs/states/qt-failure.png" failure
# A sparse page of 64 GB, read for long enough to be shown as the slow page.
for state in reading stopped; do
    folder=$(samples "$state")
    truncate -s 64G "$folder/data/zz-catalog-dump.html"
    draw "$folder" "$docs/states/qt-$state.png" "$state"
done
