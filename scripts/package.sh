#!/usr/bin/env bash
# Builds the packages into build/packages: the .deb (system-wide, /usr/lib/vk72-configurator)
# and the portable .tar.gz folder, then checks the .deb with lintian.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
cd "$root/build"
rm -f packages/vk72-configurator[_-]*
cpack --config CPackConfig.cmake
deb=$(ls packages/vk72-configurator_*.deb)
echo "lintian $deb:"
report=$(lintian "$deb" 2>&1 || true)
[ -z "$report" ] || echo "$report"
if grep -q '^E:' <<<"$report"; then
    echo "lintian reports errors on $deb" >&2
    exit 1
fi
echo
echo "Packages:"
ls -1 "$root/build/packages"/vk72-configurator[_-]*
