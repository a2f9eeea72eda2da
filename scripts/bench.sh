#!/usr/bin/env bash
# Builds the benchmarks into build-bench and prints every figure against its target: the
# core's timings (kitbuilder-bench; extra arguments go to it), then start-up wall time and
# peak memory against a bare Qt window (bench/startup.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" xvfb xauth
dir="$root/build-bench"
cmake -S "$root" -B "$dir" -G Ninja -DKITBUILDER_BENCH=ON -DKITBUILDER_GUI=ON >/dev/null
cmake --build "$dir" -j"$(nproc)" --target kitbuilder-bench run-measured bare-window kitbuilder-startup-bench controls-only marks-in-window
"$dir/bench/kitbuilder-bench" "$@"
echo
"$dir/bench/marks-in-window"
echo
"$root/bench/startup.sh" "$dir"
