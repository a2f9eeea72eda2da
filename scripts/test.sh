#!/usr/bin/env bash
# Builds everything and runs the whole test suite. With --sanitize, in a separate build
# folder with AddressSanitizer and UndefinedBehaviorSanitizer; with --tsan, the core's and the
# companion's tests (no widgets) with ThreadSanitizer, for the evaluations that run on threads.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
if [ "${1:-}" = "--sanitize" ]; then
    dir="$root/build-asan"
    "$root/scripts/build.sh" "$dir" -DKITBUILDER_SANITIZE=ON -DKITBUILDER_BENCH=OFF
    export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
elif [ "${1:-}" = "--tsan" ]; then
    dir="$root/build-tsan"
    "$root/scripts/build.sh" "$dir" -DKITBUILDER_TSAN=ON -DKITBUILDER_GUI=OFF -DKITBUILDER_BENCH=OFF
    export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
else
    dir="$root/build"
    "$root/scripts/build.sh" "$dir"
fi
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
