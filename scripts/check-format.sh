#!/usr/bin/env bash
# Fails when a C++ file does not match .clang-format; prints the files that differ.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
command -v clang-format >/dev/null || "$root/scripts/install-deps.sh" clang-format
bad=()
while IFS= read -r f; do
    clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done < <(git ls-files '*.cpp' '*.h')
if [ ${#bad[@]} -ne 0 ]; then
    echo "Not formatted with .clang-format (run clang-format -i on them):" >&2
    printf '  %s\n' "${bad[@]}" >&2
    exit 1
fi
echo "Format: all $(git ls-files '*.cpp' '*.h' | wc -l) C++ files match .clang-format"
