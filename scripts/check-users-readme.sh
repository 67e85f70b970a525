#!/usr/bin/env bash
# Checks the users' README.txt of a release archive against the archive it came in: its lines
# hold at most 100 characters, but for a record example, which no line break may cut; every path
# it names in docs or examples is in the archive, and so is every picture, icon or desktop entry
# it names; the Windows one names nothing of Linux (apt-get, desktop entries, ./ to start a
# program); the Linux one names no .exe, and what it runs as ./NAME is executable there.
#   scripts/check-users-readme.sh ARCHIVE    (a .tar.gz for Linux, a .zip for Windows)
set -euo pipefail

archive=$1
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
echo "Users' README checked: $(grep -c '' <<<"$readme") lines, $(wc -w <<<"$named") paths named"
