#!/usr/bin/env bash
# Regenerates the RTF test fixtures from their HTML sources with LibreOffice Writer, so the
# reader is tested on RTF that a word processor wrote. The generated files are committed;
# run this only after changing a source.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" libreoffice-writer-nogui

profile=$(mktemp -d)
out=$(mktemp -d)
trap 'rm -rf "$profile" "$out"' EXIT
for source in "$root"/tests/core/richtext/data/*.html; do
    soffice --headless --norestore "-env:UserInstallation=file://$profile" \
        --infilter="HTML (StarWriter)" --convert-to rtf --outdir "$out" "$source" >/dev/null
    name=$(basename "$source" .html)
    mv "$out/$name.rtf" "$root/tests/core/richtext/data/$name.rtf"
    echo "wrote tests/core/richtext/data/$name.rtf"
done
