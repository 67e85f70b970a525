#!/usr/bin/env bash
# Times the batch command and the window on generated corpora, against cat reading the same
# files, against the floor (a bare program that only opens, reads and closes the files) and
# ripgrep, checks the targets, and runs the micro-benchmarks. `make bench` builds in Release and
# calls this:
#   bench/run_bench.sh BUILD_DIR [CORPUS...]
# Naming corpora (`make bench CORPORA="files-100k random-2gb"`) runs only those, and checks only
# their targets. Corpora are made on first use into bench/corpus (kept out of git). Warm page
# cache; medians of hyperfine runs, taken in rounds that alternate the commands compared. The
# results are printed and saved as BUILD_DIR/bench-results.md.
set -euo pipefail

build=${1:-build-bench}
shift || true
bin=$build/bin
corpus=bench/corpus
work=$build/bench-work
results=$build/bench-results.md
figures=$work/figures.txt
mkdir -p "$corpus" "$work"
: >"$figures"

# Each corpus: name, files, bytes a file, and how make_corpus.py makes them.
all_corpora=(
    "files-10k 10000 2048"
    "files-100k 100000 2048"
    "files-300k 300000 2048"
    "size-1k 10000 1024"
    "size-16k 10000 16384"
    "size-1m 1000 1048576"
    "record-200mb 1 209715200 --long-name"
    "files-200k 200000 2048"
    "norecord-2gb 1 2147483648 --no-record"
    "random-2gb 1 2147483648 --random"
    "recordend-4gb 1 4294967296 --record-at-end"
)

# make_corpus NAME COUNT SIZE [FLAGS]: made once; the .done mark sits beside the folder, since
# every file inside it would be read as a catalog file.
make_corpus() {
    local name=$1 count=$2 size=$3
    shift 3
    if [ ! -e "$corpus/$name.done" ]; then
        echo "Making $corpus/$name: $count files of $size bytes $*" >&2
        rm -rf "${corpus:?}/$name"
        python3 bench/make_corpus.py "$corpus/$name" "$count" --size "$size" "$@"
        touch "$corpus/$name.done"
    fi
}

# alternate PREFIX RUNS COMMAND...: hyperfine on all commands, in rounds of a few runs each, so
# that a drift of the machine during the measurement falls on all alike. Leaves the exports as
# PREFIX-N.json.
alternate() {
    local prefix=$1 runs=$2 round
    shift 2
    rm -f "$prefix"-*.json
    for round in 1 2 3 4 5; do
        # One warm-up, in the first round: the later rounds find the page cache warm.
        hyperfine -N -w "$((round == 1))" -r "$(((runs + 4) / 5))" \
            --export-json "$prefix-$round.json" "$@" >&2
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

ratio() {
    python3 -c "print(f'{$1 / $2:.2f}')"
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

# figure KEY VALUE: kept for the targets.
figure() {
    echo "$1 $2" >>"$figures"
}

# compare NAME FILES: this program against cat on one corpus; prints a table row.
compare() {
    local name=$1 files=$2 folder=$corpus/$1 prefix=$work/$1
    local program="$bin/catalog-collector-cli $folder $work/$name.txt"
    local bytes
    bytes=$(du -b --apparent-size -s "$folder" | cut -f1)
    eval "$(cat_command "$folder")" # warm the page cache
    alternate "$prefix" "$(runs_for "$files" "$bytes")" "$program" "$(cat_command "$folder")"
    local ours theirs mem listing
    ours=$(median_ms "$prefix" 0)
    theirs=$(median_ms "$prefix" 1)
    mem=$(peak_mib $program)
    listing=$(stat -c %s "$work/$name.txt")
    figure "$name.ours" "$ours"
    figure "$name.cat" "$theirs"
    figure "$name.peak" "$mem"
    figure "$name.listing" "$listing"
    printf '| %s | %s | %s MB | %s ms | %s ms | %s | %s MiB | %s KB |\n' "$name" "$files" \
        "$((bytes / 1000000))" "$ours" "$theirs" "$(ratio "$ours" "$theirs")" "$mem" \
        "$((listing / 1000))"
}

selected() {
    [ ${#chosen[@]} -eq 0 ] || [[ " ${chosen[*]} " == *" $1 "* ]]
}

against_cat() {
    echo "## Batch command against cat"
    echo
    echo "| corpus | files | size | catalog-collector-cli | cat | ratio | peak memory | listing |"
    echo "|---|---:|---:|---:|---:|---:|---:|---:|"
    local entry name count size
    for entry in "${all_corpora[@]}"; do
        read -r name count size flags <<<"$entry"
        if selected "$name"; then
            # shellcheck disable=SC2086 # the flags are words
            make_corpus "$name" "$count" "$size" $flags
            compare "$name" "$count"
        fi
    done
    echo
}

# The small files against the floor, plain and io_uring, and ripgrep listing the files that
# hold a record. The floor of the target also writes, flushes and renames a file the size of the
# listing, as any program must that leaves its listing whole; the floor that only reads is shown
# beside it.
against_floor() {
    local folder=$corpus/files-100k prefix=$work/floor listing
    echo "## Small files at the floor (files-100k: 100,000 pages of 2 KB)"
    echo
    "$bin/catalog-collector-cli" "$folder" "$work/floor.txt" 2>/dev/null
    listing=$(stat -c %s "$work/floor.txt")
    # 20 runs: one run of these differs from the next by a tenth on a shared machine.
    alternate "$prefix" 20 "$bin/catalog-collector-cli $folder $work/floor.txt" \
        "$bin/read_floor --uring --write $listing $work/floor-written.txt $folder" \
        "$bin/read_floor --uring $folder" "$bin/read_floor $folder" "$(cat_command "$folder")" \
        "rg -l -F \"', 'PRICE' => \" $folder"
    local names=(cli uring read plain cat rg) i cli
    cli=$(median_ms "$prefix" 0)
    echo "| command | median | batch command against it |"
    echo "|---|---:|---:|"
    local labels=("catalog-collector-cli" "read_floor --uring --write (the floor)"
                  "read_floor --uring (reading only)" "read_floor (plain calls, reading only)"
                  "cat" "rg -l -F \"', 'PRICE' => \"")
    for i in 0 1 2 3 4 5; do
        local ms
        ms=$(median_ms "$prefix" "$i")
        figure "floor.${names[$i]}" "$ms"
        echo "| \`${labels[$i]}\` | $ms ms | $(ratio "$cli" "$ms") |"
    done
    echo
}

# Batching against the plain way, on the threads' own, before the core uses it.
file_batch() {
    local folder=$corpus/files-100k prefix=$work/batch
    echo "## FileBatch against InputFile (files-100k, 2 threads)"
    echo
    alternate "$prefix" 10 "$bin/file_batch_bench --batch $folder" "$bin/file_batch_bench $folder"
    local batch plain
    batch=$(median_ms "$prefix" 0)
    plain=$(median_ms "$prefix" 1)
    echo "FileBatch: $batch ms, InputFile: $plain ms, speed-up $(ratio "$plain" "$batch")."
    echo
}

others() {
    echo "## Threads (files-100k)"
    echo
    alternate "$work/threads" 20 \
        "$bin/catalog-collector-cli --threads 1 $corpus/files-100k $work/threads-1.txt" \
        "$bin/catalog-collector-cli --threads 2 $corpus/files-100k $work/threads-2.txt"
    one=$(median_ms "$work/threads" 0)
    two=$(median_ms "$work/threads" 1)
    cmp -s "$work/threads-1.txt" "$work/threads-2.txt" && same=identical || same=DIFFERENT
    echo "--threads 1: $one ms, --threads 2: $two ms, speed-up $(ratio "$one" "$two");" \
        "listings $same."
    echo
}

# The window on files-100k, from the click to the rows painted, against the batch command's
# median on the same pages (timed in against_cat).
window_against_batch() {
    echo "## Window (files-100k, offscreen, from the click to the rows painted)"
    echo
    if [ -x "$bin/window-timing" ]; then
        mkdir -p "$work/window"
        ln -sfn "$(realpath "$corpus/files-100k")" "$work/window/data"
        QT_QPA_PLATFORM=offscreen "$bin/window-timing" "$work/window" 10 >"$work/window.txt"
        window=$(grep -E '^(median|sort|repaint)' "$work/window.txt" | paste -sd ';' -)
        local clicked batch
        clicked=$(awk '/^median:/ { print $2 }' "$work/window.txt")
        batch=$(median_ms "$work/files-100k" 0)
        figure window.clicked "$clicked"
        figure window.batch "$batch"
        echo "Window $window; batch command median: $batch ms;" \
            "the window takes $(ratio "$clicked" "$batch") times the batch command."
    else
        echo "Not built (no Qt)."
    fi
    echo
}

chosen=("$@")
{
    against_cat
    if selected files-100k; then
        against_floor
        file_batch
        window_against_batch
    fi
    if [ ${#chosen[@]} -eq 0 ]; then
        others
    fi
    python3 bench/check_targets.py "$figures"
} | tee "$results.tmp"

if [ ${#chosen[@]} -eq 0 ]; then
    echo "## Micro-benchmarks" | tee -a "$results.tmp"
    "$bin/field_rules_bench" --benchmark_format=console 2>/dev/null | tee -a "$results.tmp"
fi
mv "$results.tmp" "$results"
echo "Saved $results" >&2
