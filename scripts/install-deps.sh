#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the program and the tests need, when missing.
# Pass extra package names to install them too (the fuzzers need clang). The packaging
# tools (devscripts for hardening-check) and the virtual X server are here because the suite
# builds the packages, checks them and runs the installed program, and run.sh uses the X
# server on a machine without a screen. The session bus, the accessibility bus and its Python
# client are for the test that walks the windows as a screen reader does. Chromium
# and the HTML5 parser check the catalogue comparison's web page as a browser shows it.
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev
          libgtest-dev libgmock-dev libbenchmark-dev libsodium-dev unrtf fonts-liberation poppler-utils
          dpkg-dev file lintian desktop-file-utils appstream shared-mime-info
          devscripts xvfb xauth xdotool imagemagick dbus dbus-x11 at-spi2-core python3-pyatspi
          chromium python3-html5lib "$@")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "Run as root, or install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y --no-install-recommends "${missing[@]}"
