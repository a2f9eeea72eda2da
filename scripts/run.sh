#!/usr/bin/env bash
# Builds the program and runs it on the sample catalogue in data/ (copied beside it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found (DISPLAY is not set), so the program's window cannot open." >&2
    echo "On a machine without a screen, run it under a virtual X server:" >&2
    echo "    apt-get install -y xvfb xauth && cd $root/build && xvfb-run -a ./kitbuilder" >&2
    exit 2
fi
# From the build folder, where the release notes lie beside the program.
cd "$root/build"
exec ./kitbuilder
