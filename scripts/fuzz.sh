#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 60), one
# after another, on a scratch copy of its seed corpus in fuzz-out/, so fuzz/corpus/ stays
# as committed. An input that fails is kept in fuzz-out/NAME/ and the script fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
"$root/scripts/install-deps.sh" clang libclang-rt-14-dev

dir="$root/build-fuzz"
targets=(fuzz_inifile fuzz_numbers fuzz_idcode fuzz_rtf fuzz_rtfreader fuzz_customer)
CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DKITBUILDER_FUZZ=ON -DKITBUILDER_GUI=OFF \
    -DKITBUILDER_BENCH=OFF -DKITBUILDER_SANITIZE=ON >/dev/null
cmake --build "$dir" -j"$(nproc)" --target "${targets[@]}"

out="$root/fuzz-out"
failed=()
for name in "${targets[@]}"; do
    work="$out/$name"
    rm -rf "$work"
    mkdir -p "$work/corpus"
    cp -R "$root/fuzz/corpus/$name/." "$work/corpus/"
    echo "== $name: $seconds s"
    if (cd "$work" && "$dir/fuzz/$name" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$work/" corpus >"$work/log" 2>&1); then
        grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$work/log" || true
    else
        tail -n 40 "$work/log"
        failed+=("$name")
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "Fuzzing found failures in: ${failed[*]} (inputs kept in $out)" >&2
    exit 1
fi
echo "Fuzzing found nothing in ${#targets[@]} targets."
