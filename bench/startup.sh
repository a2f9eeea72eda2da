#!/usr/bin/env bash
# Start-up of the program on the sample data against a bare Qt Widgets window, both under
# one virtual X server, alternating, RUNS times each (default 12): median wall time from
# process start until the first event after the main window is shown, and median peak
# memory, with their ratios. Expects the build folder (default build-bench) to hold
# bench/startup/kitbuilder, bench/bare-window and bench/run-measured. A third argument
# measures another program in its place, e.g. bench/controls-only.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build-bench"}
runs=${2:-12}

program=${3:-"$build/bench/startup/kitbuilder"}
name=$(basename "$program")
bare="$build/bench/bare-window"
measure="$build/bench/run-measured"
for f in "$program" "$bare" "$measure"; do
    [ -x "$f" ] || { echo "missing $f: build with -DKITBUILDER_GUI=ON -DKITBUILDER_BENCH=ON" >&2; exit 1; }
done
command -v xvfb-run >/dev/null || "$root/scripts/install-deps.sh" xvfb xauth

results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT

# One X server for all runs, so that only the programs are timed.
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    set -e
    measure=$1 program=$2 bare=$3 runs=$4 out=$5
    "$measure" "$program" >/dev/null 2>&1 || true
    "$measure" "$bare" >/dev/null 2>&1 || true
    for ((i = 0; i < runs; i++)); do
        "$measure" "$bare" 2>/dev/null >>"$out/bare" || { echo "bare-window failed" >&2; exit 1; }
        "$measure" "$program" 2>/dev/null >>"$out/program" || { echo "$program failed" >&2; exit 1; }
    done
' bash "$measure" "$program" "$bare" "$runs" "$results"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
bareWall=$(cut -d' ' -f1 "$results/bare" | median)
bareMem=$(cut -d' ' -f2 "$results/bare" | median)
progWall=$(cut -d' ' -f1 "$results/program" | median)
progMem=$(cut -d' ' -f2 "$results/program" | median)

awk -v runs="$runs" -v name="$name" -v bw="$bareWall" -v bm="$bareMem" -v pw="$progWall" -v pm="$progMem" 'BEGIN {
    printf "Start-up under Xvfb, median of %d alternating runs each:\n", runs
    printf "  %-12s %8.1f ms wall %8.1f MB peak\n", "bare-window", bw * 1000, bm / 1024
    printf "  %-12s %8.1f ms wall %8.1f MB peak\n", name, pw * 1000, pm / 1024
    printf "  wall ratio   %6.2f x   target <= 1.3   %s\n", pw / bw, (pw / bw <= 1.3) ? "met" : "MISSED"
    printf "  memory ratio %6.2f x   target <= 1.2   %s\n", pm / bm, (pm / bm <= 1.2) ? "met" : "MISSED"
}'
