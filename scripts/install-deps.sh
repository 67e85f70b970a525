#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, and only those that are missing,
# so that a machine that has them all is not touched.
set -euo pipefail

# qt6-qpa-plugins holds the display and offscreen back ends that the window and its tests run
# on; qt6-base-private-dev lets the window's tests turn accessibility on as a screen reader does;
# a font is needed to draw any text at all. The desktop entry's test validates the entry
# (desktop-file-utils) and decodes its Exec as a launcher would (python3). The window's keys are
# tested as the X server delivers them, on a virtual display with a window manager (xvfb,
# openbox, xdotool).
packages=(cmake ninja-build g++ make qt6-base-dev qt6-base-private-dev qt6-qpa-plugins fonts-dejavu-core
          libgtest-dev libgmock-dev liburing-dev desktop-file-utils python3 python3-openpyxl
          xvfb openbox xdotool "$@")

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
