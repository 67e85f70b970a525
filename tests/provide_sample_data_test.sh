#!/usr/bin/env sh
# `make run` gives the programs the sample pages, but never at the cost of the user's own pages
# in the same folder.
#   provide_sample_data_test.sh PROVIDE_SCRIPT SAMPLES
set -eu
provide=$1
samples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$provide" "$samples" "$work/data" >/dev/null
diff -r "$samples" "$work/data"

rm -r "$work/data"/*
echo mine >"$work/data/mine.html"
"$provide" "$samples" "$work/data" >/dev/null
[ "$(ls -A "$work/data")" = mine.html ] || { echo "the user's pages were touched" >&2; exit 1; }
