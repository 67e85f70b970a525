#!/usr/bin/env bash
# Times the batch command and the window on generated corpora, against cat reading the same
# files, and runs the micro-benchmarks. `make bench` builds in Release and calls this:
#   bench/run_bench.sh BUILD_DIR [CORPUS...]
# Naming corpora (`make bench CORPORA="files-200k norecord-2gb"`) times only those against cat.
# Corpora are made once into bench/corpus (kept out of git). Warm page cache; medians of
# hyperfine runs, taken in rounds that alternate the two commands compared. The results table is printed and saved as BUILD_DIR/bench-results.md.
set -euo pipefail

build=${1:-build-release}
shift || true
bin=$build/bin
corpus=bench/corpus
work=$build/bench-work
results=$build/bench-results.md
mkdir -p "$corpus" "$work"

# make_corpus NAME COUNT SIZE [--long-name]: made once; the .done mark sits beside the folder,
# since every file inside it would be read as a catalog file.
make_corpus() {
    local name=$1 count=$2 size=$3
    shift 3
    if [ ! -e "$corpus/$name.done" ]; then
        echo "Making $corpus/$name: $count files of $size bytes" >&2
        rm -rf "${corpus:?}/$name"
        python3 bench/make_corpus.py "$corpus/$name" "$count" --size "$size" "$@"
        touch "$corpus/$name.done"
    fi
}

# alternate PREFIX RUNS COMMAND1 COMMAND2: hyperfine on both commands, in rounds of a few runs
# each, so that a drift of the machine during the measurement falls on both alike. Leaves the
# exports as PREFIX-N.json.
alternate() {
    local prefix=$1 runs=$2 round
    shift 2
    rm -f "$prefix"-*.json
    for round in 1 2 3 4 5; do
        hyperfine -N -w 1 -r "$(((runs + 4) / 5))" --export-json "$prefix-$round.json" "$@" >&2
    done
}

# median_ms PREFIX INDEX: the median of one command over every round, in milliseconds.
median_ms() {
    python3 -c "import glob,json,statistics,sys
times = [t for f in glob.glob(sys.argv[1] + '-*.json')
         for t in json.load(open(f))['results'][int(sys.argv[2])]['times']]
print(f'{statistics.median(times) * 1000:.1f}')" "$1" "$2"
}

peak_mib() {
    /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -n 1 | awk '{printf "%.1f", $1 / 1024}'
}

cat_command() {
    echo "bash -c 'find $1 -maxdepth 1 -type f -print0 | xargs -0 cat > /dev/null'"
}

runs_for() {
    local files=$1 bytes=$2
    if [ "$files" -ge 300000 ] || [ "$bytes" -ge 1000000000 ]; then
        echo 5
    elif [ "$files" -ge 100000 ]; then
        echo 10
    else
        echo 20
    fi
}

# compare NAME FILES: this program against cat on one corpus; prints a table row.
compare() {
    local name=$1 files=$2 folder=$corpus/$1 prefix=$work/$1
    local program="$bin/catalog-collector-cli $folder $work/$name.txt"
    local bytes
    bytes=$(du -sb "$folder" | cut -f1)
    eval "$(cat_command "$folder")" # warm the page cache
    alternate "$prefix" "$(runs_for "$files" "$bytes")" "$program" "$(cat_command "$folder")"
    local ours theirs
    ours=$(median_ms "$prefix" 0)
    theirs=$(median_ms "$prefix" 1)
    local ratio mem
    ratio=$(python3 -c "print(f'{$ours / $theirs:.2f}')")
    mem=$(peak_mib $program)
    listing=$(stat -c %s "$work/$name.txt")
    printf '| %s | %s | %s MB | %s ms | %s ms | %s | %s MiB | %s KB |\n' "$name" "$files" \
        "$((bytes / 1000000))" "$ours" "$theirs" "$ratio" "$mem" "$((listing / 1000))"
}

make_corpus files-10k 10000 2048
make_corpus files-100k 100000 2048
make_corpus files-300k 300000 2048
make_corpus size-1k 10000 1024
make_corpus size-16k 10000 16384
make_corpus size-1m 1000 1048576
make_corpus record-200mb 1 209715200 --long-name
# Scale: many files, and one file of 2 GiB with no record in it. Memory should stay near one
# file's size plus the listing.
make_corpus files-200k 200000 2048
make_corpus norecord-2gb 1 2147483648 --no-record

all_corpora=(files-10k:10000 files-100k:100000 files-300k:300000 size-1k:10000 size-16k:10000
             size-1m:1000 record-200mb:1 files-200k:200000 norecord-2gb:1)

against_cat() {
    echo "## Batch command against cat"
    echo
    echo "| corpus | files | size | catalog-collector-cli | cat | ratio | peak memory | listing |"
    echo "|---|---:|---:|---:|---:|---:|---:|---:|"
    local entry
    for entry in "${all_corpora[@]}"; do
        if [ $# -eq 0 ] || [[ " $* " == *" ${entry%%:*} "* ]]; then
            compare "${entry%%:*}" "${entry##*:}"
        fi
    done
    echo
}

if [ $# -gt 0 ]; then
    against_cat "$@"
    exit 0
fi

{
    against_cat

    echo "## Threads (files-100k)"
    echo
    alternate "$work/threads" 20 \
        "$bin/catalog-collector-cli --threads 1 $corpus/files-100k $work/threads-1.txt" \
        "$bin/catalog-collector-cli --threads 2 $corpus/files-100k $work/threads-2.txt"
    one=$(median_ms "$work/threads" 0)
    two=$(median_ms "$work/threads" 1)
    cmp -s "$work/threads-1.txt" "$work/threads-2.txt" && same=identical || same=DIFFERENT
    echo "--threads 1: $one ms, --threads 2: $two ms," \
        "speed-up $(python3 -c "print(f'{$one / $two:.2f}')"); listings $same."
    echo

    echo "## Window (files-100k, offscreen, from the click to the rows painted)"
    echo
    mkdir -p "$work/window"
    ln -sfn "$(realpath "$corpus/files-100k")" "$work/window/data"
    window=$(QT_QPA_PLATFORM=offscreen "$bin/window-timing" "$work/window" 10 | tail -n 1)
    cli=$(median_ms "$work/files-100k" 0)
    echo "Window $window; batch command median: $cli ms."
    echo
} | tee "$results.tmp"

echo "## Micro-benchmarks" | tee -a "$results.tmp"
"$bin/field_rules_bench" --benchmark_format=console 2>/dev/null | tee -a "$results.tmp"
mv "$results.tmp" "$results"
echo "Saved $results" >&2
