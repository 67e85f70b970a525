#!/usr/bin/env bash
# Checks the Windows release archive as a user gets it: unpacked, it must hold the batch command,
# the window, the empty data folder, the sample pages and the users' README in CR LF; the programs
# must need no DLL that Windows does not ship and must carry their manifests, the window's a
# window program's (no console); and the batch command, run by Wine on the sample pages, must
# write a listing. Given a listing made elsewhere (by the Linux batch command on
# examples/data), the two must match byte for byte.
#   scripts/check-windows-archive.sh \
#       build-package-windows/catalog-collector-VERSION-windows-x86_64.zip [LISTING]
# Wine runs in WINEPREFIX_DIR (default: a wineprefix folder beside the archive).
set -euo pipefail
cd "$(dirname "$0")/.."

archive=$(realpath "$1")
reference_listing=${2:+$(realpath "$2")}
prefix=${WINEPREFIX_DIR:-$(dirname "$archive")/wineprefix}
release_name=$(basename "$archive" .zip)

fail() {
    echo "check-windows-archive: $*" >&2
    exit 1
}

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$archive" -d "$unpacked"
here=$unpacked/$release_name
program=$here/catalog-collector-cli.exe
window=$here/catalog-collector.exe

[ -f "$program" ] || fail "no catalog-collector-cli.exe at the archive's top"
[ -f "$window" ] || fail "no catalog-collector.exe at the archive's top"
[ -f "$here/docs/window-windows.png" ] || fail "no picture of the window in docs"
[ -d "$here/data" ] || fail "no data folder"
[ -z "$(ls -A "$here/data")" ] || fail "the data folder is not empty"
[ -n "$(ls -A "$here/examples/data")" ] || fail "no sample pages in examples/data"
[ -f "$here/README.txt" ] || fail "no README.txt"
# Every line of the README ends in CR LF.
! grep -q -v $'\r$' "$here/README.txt" || fail "README.txt does not end all its lines in CR LF"

# The DLLs every Windows has, and loads only from its own folder: its known DLLs, the C runtime,
# and the common controls, which the manifest binds. Anything else would either have to travel
# with the program (libstdc++, libgcc, libwinpthread) or be looked for beside it first, where a
# file planted under its name (oleacc.dll in a downloads folder) would be loaded instead.
system_dlls='^(kernel32|ntdll|msvcrt|ucrtbase|api-ms-win-.*|shell32|advapi32|user32|ole32'
system_dlls+='|ws2_32|shlwapi|comctl32|gdi32|oleaut32)\.dll$'
for exe in "$program" "$window"; do
    name=$(basename "$exe")
    headers=$(x86_64-w64-mingw32-objdump -p "$exe")
    imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
    echo "$name DLLs: $(echo $imports)"
    while read -r dll; do
        echo "$dll" | tr '[:upper:]' '[:lower:]' | grep -Eq "$system_dlls" ||
            fail "$name needs $dll"
    done <<<"$imports"
    # The manifest is resource 1 of type RT_MANIFEST (24 = 0x18), the one Windows reads at start.
    grep -A2 'Entry: ID: 0x000018' <<<"$headers" | grep -q 'Entry: ID: 0x000001,' ||
        fail "$name holds no manifest as resource 1"
done
# Subsystem 2 is a window program, which opens no console window beside it; 3 is a console one.
grep -Eq '^Subsystem\s+00000002' <<<"$(x86_64-w64-mingw32-objdump -p "$window")" ||
    fail "catalog-collector.exe is not a window program"

cp "$here"/examples/data/* "$here/data/"
./scripts/wine.sh session "$prefix" ./scripts/wine.sh run "$prefix" "$program"
[ -s "$here/output.txt" ] || fail "the batch command wrote no listing"
head -n 1 "$here/output.txt" | cmp -s - <(printf 'id   price   thumbnail   name\r\n') ||
    fail "the listing does not start with its header"
if [ -n "$reference_listing" ]; then
    cmp "$reference_listing" "$here/output.txt"
    echo "The listing matches $reference_listing."
fi
echo "Windows release archive checked: $(basename "$archive")"
