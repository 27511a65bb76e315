#!/usr/bin/env bash
# Makes sure the Debian packages the build needs are present; installs the
# missing ones when run as root.
set -euo pipefail

QUENVEL_PACKAGES=(cmake ninja-build g++ ccache pkg-config qt6-base-dev libgl1-mesa-dev libgtest-dev
                  fonts-liberation xvfb xauth xdotool imagemagick poppler-utils
                  # the Debian package (dpkg-shlibdeps) and the checks of the installed files
                  dpkg-dev desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl
                  man-db
                  # the fuzz targets (clang with libFuzzer)
                  clang libclang-rt-14-dev)

missing=()
for p in "${QUENVEL_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    else
        echo "Missing Debian packages: ${missing[*]}" >&2
        echo "Install them with: sudo apt-get install ${missing[*]}" >&2
        exit 1
    fi
fi
