#!/usr/bin/env bash
# Builds the benchmarks into build-bench and prints every figure against its target: the
# core's timings (kitbuilder-bench; extra arguments go to it), then start-up wall time and
# peak memory against a bare Qt window (bench/startup.sh), the RTF reader on generated inputs,
# the Check Saved Orders window over 10,000 customer files (recheck-window), kitbuilder-cli
# diff on two releases of 150 parts with 1,000 saved orders (catalogue-diff-bench), and
# customer files of 1, 16 and 60 MB read and saved (customer-file-bench).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" xvfb xauth
dir="$root/build-bench"
cmake -S "$root" -B "$dir" -G Ninja -DKITBUILDER_BENCH=ON -DKITBUILDER_GUI=ON >/dev/null
cmake --build "$dir" -j"$(nproc)" --target kitbuilder-bench catalogue-diff-bench kitbuilder-cli run-measured bare-window kitbuilder-startup-bench controls-only rtf-reader-bench recheck-window marks-in-window drafts-in-window customer-file-bench
"$dir/bench/kitbuilder-bench" "$@"
echo
cmake --build "$dir" --target kitbuilder-profile-bench
"$dir/bench/kitbuilder-profile-bench"
"$dir/bench/rtf-reader-bench"
"$dir/bench/catalogue-diff-bench" "$dir/kitbuilder-cli"
"$dir/bench/customer-file-bench"
"$dir/bench/recheck-window" 10000 2>/dev/null
"$dir/bench/marks-in-window"
"$dir/bench/drafts-in-window" 2>/dev/null
echo
"$root/bench/startup.sh" "$dir"
