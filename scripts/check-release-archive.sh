#!/usr/bin/env bash
# Checks the release archive where nothing of the build is installed: a minimal Debian 12 made
# with debootstrap, given only the runtime packages the README names. There the archive is
# unpacked, the batch command runs on the sample pages, and the window is opened on a virtual
# display and its button clicked; both listings must match the one made here. The archive must
# hold the users' README.txt, not the developers' README.md, and the desktop entry, its icon and
# the executable script that installs them.
#   scripts/check-release-archive.sh build-package/catalog-collector-VERSION-linux-x86_64.tar.gz
# Needs root and Debian's package mirror. The minimal system is made once and kept in
# CLEAN_ROOT (default build-package/debian12).
set -euo pipefail
cd "$(dirname "$0")/.."

archive=$(realpath "$1")
clean_root=${CLEAN_ROOT:-build-package/debian12}
runtime_packages=(libqt6widgets6 qt6-qpa-plugins)
display=:77

./scripts/install-deps.sh debootstrap xvfb xdotool

if [ ! -e "$clean_root/.made" ]; then
    rm -rf "$clean_root"
    debootstrap --variant=minbase bookworm "$clean_root" http://deb.debian.org/debian
    touch "$clean_root/.made"
fi
clean_root=$(realpath "$clean_root")

mounted=()
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" || true
    done
}
trap cleanup EXIT
mount -t proc proc "$clean_root/proc" && mounted+=("$clean_root/proc")
mkdir -p "$clean_root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$clean_root/tmp/.X11-unix" && mounted+=("$clean_root/tmp/.X11-unix")

in_clean() { chroot "$clean_root" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/root "$@"; }

in_clean apt-get update -qq
DEBIAN_FRONTEND=noninteractive in_clean apt-get install -y -qq --no-install-recommends \
    "${runtime_packages[@]}"

# The reference listing: the same archive's batch command, here.
reference=$(mktemp -d)
tar -xzf "$archive" -C "$reference"
release_name=$(basename "$archive" .tar.gz)
here="$reference/$release_name"
# Users get the users' README, the one that names the runtime packages installed above.
if [ ! -f "$here/README.txt" ] || [ -e "$here/README.md" ]; then
    echo "The archive must hold README.txt (packaging/README-linux.txt), not README.md." >&2
    exit 1
fi
# The desktop entry, its icon and the script that installs them lie beside the programs.
for file in catalog-collector.desktop catalog-collector.png install-desktop-entry; do
    if [ ! -s "$here/$file" ]; then
        echo "The archive must hold $file beside the programs." >&2
        exit 1
    fi
done
if [ ! -x "$here/install-desktop-entry" ]; then
    echo "The archive's install-desktop-entry must be executable." >&2
    exit 1
fi
cp "$here"/examples/data/* "$here/data/"
"$here/catalog-collector-cli" >/dev/null

rm -rf "$clean_root/release"
mkdir -p "$clean_root/release"
tar -xzf "$archive" -C "$clean_root/release"
there=/release/$release_name
in_clean sh -c "cp $there/examples/data/* $there/data/ && $there/catalog-collector-cli"
cmp "$here/output.txt" "$clean_root$there/output.txt"
echo "Batch command: the listing matches."

rm "$clean_root$there/output.txt"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp &
xvfb_pid=$!
# The display takes requests once it answers one.
for _ in $(seq 50); do
    DISPLAY=$display xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.2
done
in_clean env DISPLAY="$display" "$there/catalog-collector" &
window_pid=$!
# Shown, the window takes the click.
window=$(DISPLAY=$display timeout 20 xdotool search --sync --onlyvisible --name '^Form1$' |
    head -n 1)
# The middle of the collect button, in the window's own coordinates.
DISPLAY=$display xdotool mousemove --window "$window" 528 332 click 1
for _ in $(seq 50); do
    [ -s "$clean_root$there/output.txt" ] && break
    sleep 0.2
done
kill "$window_pid"
wait "$window_pid" 2>/dev/null || true
cmp "$here/output.txt" "$clean_root$there/output.txt"
echo "Window: the click wrote the same listing."
rm -rf "$reference"
echo "Release archive checked on a minimal Debian 12 with: ${runtime_packages[*]}"
