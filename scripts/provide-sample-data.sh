#!/usr/bin/env sh
# Gives `make run` pages to show: the sample pages are copied into the data folder only when it
# does not exist or holds nothing, since that folder is where users put their own pages.
#   provide-sample-data.sh SAMPLES DATA_DIR
set -eu
samples=$1
data=$2
if [ -d "$data" ] && [ -n "$(ls -A "$data")" ]; then
    echo "Using the pages in $data as they are."
else
    mkdir -p "$data"
    cp -R "$samples"/. "$data"/
    echo "Copied the sample pages into $data; put your own pages there."
fi
