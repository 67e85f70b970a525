#!/usr/bin/env sh
# Takes a CMake build folder away, but for what users keep beside the programs: the pages in
# bin/data, the listings and whatever else they put in bin/. Outside bin/ every file is the
# build's; in bin/ the build's files are the ones Ninja made, and Ninja removes only those, by
# name (cleandead: those of targets the build has since lost). A link is removed, never entered.
# A folder holding no CMake build is left as it is.
#   clean-build.sh DIR...
set -eu
for dir; do
    [ -d "$dir" ] || continue
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        echo "Left $dir as it is: it holds no CMake build."
        continue
    fi
    if [ -f "$dir/build.ninja" ]; then
        ninja -C "$dir" -t cleandead >/dev/null
        ninja -C "$dir" -t clean >/dev/null
    fi
    find "$dir/" -mindepth 1 -maxdepth 1 ! -name bin -exec rm -rf -- {} +
    rmdir "$dir/bin" 2>/dev/null || true
    rmdir "$dir" 2>/dev/null || echo "Kept in $dir/bin what the build did not make."
done
