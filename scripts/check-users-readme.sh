#!/usr/bin/env bash
# Checks the users' README.txt of a release archive against the archive it came in: its lines
# hold at most 100 characters, but for a record example, which no line break may cut; every path
# it names in docs or examples is in the archive, and so is every picture, icon or desktop entry
# it names; the Windows one names nothing of Linux (apt-get, desktop entries, ./ to start a
# program); the Linux one names no .exe, and what it runs as ./NAME is executable there. The
# Windows one is plain ASCII: `type` and every Notepad show it alike. Every text it quotes as the
# programs' own that holds PATH or a backquote, and every example line that starts with a
# backquote, is what the programs say: the archive's batch command is run on an empty data
# folder, on none, and with --explain on the sample pages (for Windows under Wine, in
# WINEPREFIX_DIR, by default a wineprefix folder beside the archive); a text only the window
# says must stand, its PATH apart, among the window layer's texts in src/window (an optimizing
# compiler keeps no string of the program whole).
#   scripts/check-users-readme.sh ARCHIVE    (a .tar.gz for Linux, a .zip for Windows)
set -euo pipefail
cd "$(dirname "$0")/.."

archive=$(realpath "$1")
fail() {
    echo "check-users-readme: $*" >&2
    exit 1
}

case "$archive" in
    *.zip)
        system=windows
        release=$(basename "$archive" .zip)
        entries=$(unzip -Z1 "$archive")
        readme=$(unzip -p "$archive" "$release/README.txt" | tr -d '\r')
        ;;
    *.tar.gz)
        system=linux
        release=$(basename "$archive" .tar.gz)
        entries=$(tar -tzf "$archive")
        readme=$(tar -xzOf "$archive" "$release/README.txt")
        ;;
    *) fail "not a release archive: $archive" ;;
esac
[ -n "$readme" ] || fail "no README.txt at the top of $archive"
# The archive's paths below its top folder, folders without their closing slash.
entries=$(sed -e "s|^$release/||" -e 's|/$||' <<<"$entries")
# Whether the archive holds PATH, as a file or as a folder (which a listing may show only by
# the files in it).
holds() {
    awk -v path="$1" '$0 == path || index($0, path "/") == 1 { found = 1 } END { exit !found }' \
        <<<"$entries"
}

# A record is one line whatever its length: one break inside it changes what it holds.
long=$(LC_ALL=C.UTF-8 grep -nE '^.{101,}' <<<"$readme" | grep -vF "'REFERENCE' => '" || true)
[ -z "$long" ] || fail "lines longer than 100 characters:"$'\n'"$long"

# Paths in the archive's docs and examples folders, in either slash, without a closing dot or
# wildcard ("cp examples/data/* data/").
named=$(grep -oE '(docs|examples)[/\\][^][ ,;:()"<>]*' <<<"$readme" | tr '\\' '/' |
    sed -e 's|[.]$||' -e 's|/[*]$||' | sort -u)
for path in $named; do
    holds "$path" || fail "README.txt names $path, which the archive lacks"
done

# Pictures, icons and desktop entries by name, wherever in the archive.
for file in $(grep -oE '[^][ \\/(),;"<>]+[.](png|desktop)' <<<"$readme" | sort -u); do
    grep -qE "(^|/)${file//./[.]}$" <<<"$entries" ||
        fail "README.txt names $file, which the archive lacks"
done

if [ "$system" = windows ]; then
    for linux in 'apt-get' '.desktop' './catalog-collector'; do
        ! grep -qF -- "$linux" <<<"$readme" || fail "the Windows README.txt speaks of $linux"
    done
else
    ! grep -qF '.exe' <<<"$readme" || fail "the Linux README.txt speaks of .exe"
    # What it tells to run as ./NAME is an executable file at the archive's top.
    modes=$(tar -tvzf "$archive" | awk '{ print $1, $NF }')
    for run in $(grep -oE '(^|\s)[.]/[a-z-]+' <<<"$readme" | sed 's|.*/||' | sort -u); do
        grep -qE "^-..x.* $release/$run$" <<<"$modes" ||
            fail "README.txt runs ./$run, which the archive lacks or does not mark executable"
    done
fi
if [ "$system" = windows ]; then
    beyond_ascii=$(LC_ALL=C grep -nP '[^\x00-\x7F]' <<<"$readme" || true)
    [ -z "$beyond_ascii" ] || fail "README.txt holds bytes beyond ASCII:"$'\n'"$beyond_ascii"
fi

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
if [ "$system" = windows ]; then
    unzip -q "$archive" -d "$unpacked"
    suffix=.exe
else
    tar -xzf "$archive" -C "$unpacked"
    suffix=
fi
here=$unpacked/$release
# What the batch command says on standard error, on a data folder without pages and on the
# sample pages; a Windows program runs in a Wine session of its own.
said_by_batch_command() {
    local program=$here/catalog-collector-cli$suffix
    local run=("$program")
    [ "$system" = linux ] || run=("$SCRIPTS/wine.sh" run "$WINE_PREFIX" "$program")
    rm -rf "$here/data" && mkdir "$here/data"
    (cd "$here" && "${run[@]}" 2>&1 >/dev/null)
    rmdir "$here/data"
    (cd "$here" && "${run[@]}" 2>&1 >/dev/null)
    (cd "$here" && "${run[@]}" --explain examples/data - 2>&1 >/dev/null)
}
export -f said_by_batch_command
export system here suffix SCRIPTS=$PWD/scripts
export WINE_PREFIX=${WINEPREFIX_DIR:-$(dirname "$archive")/wineprefix}
if [ "$system" = windows ]; then
    said=$(./scripts/wine.sh session "$WINE_PREFIX" bash -c said_by_batch_command)
else
    said=$(said_by_batch_command)
fi
# A quoted folder becomes PATH, and lines end as on Linux.
said=$(tr -d '\r' <<<"$said" | sed "s/'[^']*'\(;\|\$\)/PATH\1/")

# The README's quotes with their lines joined, as the programs say them on one line.
joined=$(sed -e ':a' -e 'N' -e '$!ba' -e 's/\n */ /g' <<<"$readme")
quoted=$(grep -oE '"[^"]*"' <<<"$joined" | sed 's/^"//; s/"$//' | grep -E 'PATH|`' || true)
examples=$(sed -n 's/^  \(`.*\)$/\1/p' <<<"$readme")
checked=0
while IFS= read -r text; do
    [ -n "$text" ] || continue
    checked=$((checked + 1))
    # The window starts a sentence with a capital where the batch command goes on after a colon.
    lower=$(tr '[:upper:]' '[:lower:]' <<<"${text:0:1}")${text:1}
    grep -qF -- "$text" <<<"$said" || grep -qF -- "$lower" <<<"$said" && continue
    [[ "$text" == *PATH* ]] || fail "README.txt quotes \"$text\", which the programs do not say"
    for piece in "${text%%PATH*}" "${text#*PATH}"; do
        [ -z "$piece" ] || grep -qF -- "\"$piece\"" src/window/*.cpp ||
            fail "README.txt quotes \"$text\", which the programs do not say"
    done
done <<<"$quoted"$'\n'"$examples"

echo "Users' README checked: $(grep -c '' <<<"$readme") lines, $(wc -w <<<"$named") paths named, $checked texts quoted"
