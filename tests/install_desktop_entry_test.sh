#!/usr/bin/env sh
# install-desktop-entry in folders whose names hold every character a desktop entry escapes:
# desktop-file-validate and GLib accept the entry, and its Exec, decoded as a launcher decodes
# it, runs the program in that folder. A folder that is not UTF-8 or holds a line break is refused.
#   install_desktop_entry_test.sh PACKAGING_DIR
set -eu
packaging=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
work=$(cd -P "$work" && pwd)

# Unescapes the entry's Exec as a string value, then its quoting and %%, and runs it; the program
# writes the path it was started as into $MARKER. Prints the Icon's value.
launch() {
    python3 - "$1" <<'EOF'
import re, subprocess, sys
keys = {}
for line in open(sys.argv[1], encoding="utf-8").read().splitlines():
    if "=" in line and not line.startswith("#"):
        key, value = line.split("=", 1)
        keys[key] = value
escapes = {"s": " ", "n": "\n", "t": "\t", "r": "\r"}
def unescape(value):
    return re.sub(r"\\(.)", lambda m: escapes.get(m.group(1), m.group(1)), value)
arguments, quoted, chars = [""], False, iter(unescape(keys["Exec"]))
for c in chars:
    if c == "%":
        c = next(chars)
        assert c == "%", "a field code"
    elif quoted and c == "\\":
        c = next(chars)
        assert c in '"`$\\', "a needless escape"
    elif c == '"':
        quoted = not quoted
        continue
    elif c == " " and not quoted:
        arguments.append("")
        continue
    else:
        assert quoted or c not in "\t\n\"'\\><~|&;$*?#()`", "a reserved character unquoted"
    arguments[-1] += c
subprocess.run([argument for argument in arguments if argument], check=True)
print(unescape(keys["Icon"]), end="")
EOF
}

# Installs the script, the entry, the icon and a program that notes its start in folder $1.
prepare() {
    mkdir "$1"
    cp "$packaging/install-desktop-entry" "$packaging/catalog-collector.desktop" \
        "$packaging/icons/catalog-collector.png" "$1/"
    printf '#!/bin/sh\nprintf %%s "$0" >"$MARKER"\n' >"$1/catalog-collector"
    chmod +x "$1/catalog-collector"
}

if command -v desktop-file-validate >/dev/null; then
    validate=desktop-file-validate
else
    echo "desktop-file-validate is missing (package desktop-file-utils): entries not validated"
    validate=true
fi
export MARKER="$work/started"
for name in '100% "tools" $HOME' 'a&b|c\d`e'\''f\\g;h<i>j~k*l?m#n(o) é'; do
    folder=$work/$name
    prepare "$folder"
    XDG_DATA_HOME=$work/share "$folder/install-desktop-entry" >/dev/null
    entry=$work/share/applications/catalog-collector.desktop
    $validate "$entry"
    # GLib's launcher, where there is one, must take the entry too.
    ! command -v gio >/dev/null || MARKER=/dev/null gio launch "$entry"
    icon=$(launch "$entry")
    [ "$(cat "$MARKER")" = "$folder/catalog-collector" ] ||
        { echo "Exec started $(cat "$MARKER") for $folder" >&2; exit 1; }
    [ "$icon" = "$folder/catalog-collector.png" ] || { echo "Icon is $icon" >&2; exit 1; }
    rm "$MARKER"
done

for name in "$(printf 'caf\351')" "$(printf 'new\nline')"; do
    prepare "$work/$name"
    if XDG_DATA_HOME=$work/refused "$work/$name/install-desktop-entry" 2>"$work/message"; then
        echo "a desktop entry was written for $name" >&2
        exit 1
    fi
    grep -qE 'not UTF-8|control character' "$work/message" && [ ! -e "$work/refused" ] ||
        { cat "$work/message" >&2; exit 1; }
done
