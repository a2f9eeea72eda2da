#!/usr/bin/env bash
# Builds the program and runs it on the sample catalogue in data/ (copied beside it).
# Without a screen it runs the program under a virtual X server instead: waits for the main
# window, saves a picture of it to build/kitbuilder.png, closes it, and prints what the
# companion reports for the sample's standard configuration and its order list.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
# From the build folder, where the release notes lie beside the program.
cd "$root/build"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec ./kitbuilder
fi

echo "No display found (DISPLAY is not set): running the program under a virtual X server."
work=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
    [ -z "$program_pid" ] || kill "$program_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    echo "The virtual X server did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=:$(head -n1 "$work/display")

./kitbuilder >"$work/program.log" 2>&1 &
program_pid=$!
if ! window=$(timeout 30 xdotool search --sync --onlyvisible --name '^VK72 Configuration Tool' | head -n1); then
    echo "The main window did not open within 30 s:" >&2
    cat "$work/program.log" >&2
    exit 1
fi
# The window is mapped before it is painted; give it a moment.
sleep 1
import -window "$window" "$root/build/kitbuilder.png"
echo "Main window \"$(xdotool getwindowname "$window")\" saved to build/kitbuilder.png"
xdotool windowfocus --sync "$window" key --clearmodifiers ctrl+q
for _ in $(seq 100); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$program_pid" 2>/dev/null; then
    echo "The program did not close on Ctrl+Q; ending it." >&2
    kill "$program_pid"
fi
wait "$program_pid" 2>/dev/null || true
program_pid=

echo
echo "== kitbuilder-cli select Housing=0   (the sample's standard configuration)"
./kitbuilder-cli select Housing=0
echo
echo "== kitbuilder-cli orderlist"
./kitbuilder-cli orderlist
