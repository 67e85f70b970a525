#!/usr/bin/env sh
# `make clean` takes the build away but not the user's pages, listings and links beside the
# programs, nor what a link points to. A manifest of its own stands for CMake's: Ninja cleans both.
#   clean_build_test.sh CLEAN_SCRIPT
set -eu
clean=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dir="$work/a build"
mkdir -p "$dir/bin/data" "$work/mine" "$work/other"
touch "$dir/CMakeCache.txt" "$dir/bin/data/page 1.html" "$dir/bin/output.txt" "$work/mine/p.html"
ln -s "$work/mine" "$dir/bin/linked"
ln -s "$work/mine" "$dir/link"
printf "rule make\n  command = touch \$out\nbuild bin/prog bin/old obj/o: make\n" >"$dir/build.ninja"
ninja -C "$dir" >/dev/null
sed -i 's| bin/old||' "$dir/build.ninja" # a target the build has since lost
"$clean" "$dir" >/dev/null
left=$(cd "$dir" && find . | LC_ALL=C sort | tr '\n' ' ')
[ "$left" = ". ./bin ./bin/data ./bin/data/page 1.html ./bin/linked ./bin/output.txt " ] ||
    { echo "left in the build folder: $left" >&2; exit 1; }
[ -f "$work/mine/p.html" ] || { echo "the file behind a link was removed" >&2; exit 1; }

touch "$work/other/mine.txt" # no CMake build: not touched
"$clean" "$work/other" >/dev/null
[ -f "$work/other/mine.txt" ] || { echo "a folder without a build was emptied" >&2; exit 1; }
rm -r "${dir:?}/bin"/* && touch "$dir/CMakeCache.txt" # nothing of the user's: all goes
"$clean" "$dir"
[ ! -e "$dir" ] || { echo "an empty build folder was kept" >&2; exit 1; }
