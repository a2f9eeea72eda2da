#!/usr/bin/env bash
# The diff's HTML report as a browser gets it: written by kitbuilder-cli for two releases of the
# sample catalogue and a folder of saved orders, parsed by an HTML5 parser that refuses every
# parse error, then rendered by headless Chromium at desktop and phone width. The pictures stay
# in SHOTS for a person to look at.
# usage: diff_report_in_browser.sh KITBUILDER-CLI DATA-DIR SHOTS
set -euo pipefail
cli=$1 data=$2 shots=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/old" "$work/new" "$work/orders" "$shots"

cp "$data/KITBUILDER.INI" "$data/KITBUILDER.PRS" "$work/old/"
# The new release: a price raised and one lowered, a part renamed with markup in its name, an
# index letter moved, an interface limit tightened, a part dropped from a list, a pair excluded.
sed -e 's/^72110202=690/72110202=759/' -e 's/^72130404=65/72130404=59/' "$data/KITBUILDER.PRS" >"$work/new/KITBUILDER.PRS"
sed -e '/^\[Descriptions\]/,/^\[/ s/^72110201=.*/&, <IP65> \& "sealed"/' -e 's/^Version=.*/Version=1.5/' \
    -e '/^\[Index\]/,/^\[/ s/^72160020=T/72160020=R/' -e '/^\[Max_SCOM\]/,/^\[/ s/^72161001=2/72161001=1/' \
    -e '/^\[X1\]/,/^\[/ {/^4=99999232/d}' -e 's/^\[Exclude_List\]/&\n72140200=72150045/' \
    "$data/KITBUILDER.INI" >"$work/new/KITBUILDER.INI"
printf '[Data]\nCompany1=Acme <Ltd>\nName1=Ann\nCode=VK72-1111x-110Ax-00000-00000-M3x\n' >"$work/orders/a.CST"
printf '[Data]\nCompany1=Bolt & Co\nName1=Bob\nCode=VK72-2111x-110Ax-00000-00000-M3x\n' >"$work/orders/b.CST"
printf '[Data]\nCompany1=Cog AG\nName1=Cy\nCode=VK72-1111x-110Ax-T0000-00000-M3x\n' >"$work/orders/c.CST"

status=0
"$cli" diff "$work/old/KITBUILDER.INI" "$work/new/KITBUILDER.INI" --orders "$work/orders" \
    --html "$work/report.html" >"$work/out.txt" || status=$?
cat "$work/out.txt"
if [ "$status" -ne 4 ]; then
    echo "diff exited with $status, expected 4 (something differs)" >&2
    exit 1
fi
cp "$work/report.html" "$shots/report.html"

if ! /usr/bin/python3 -c 'import html5lib' 2>/dev/null; then
    echo "SKIP: python3-html5lib is not installed (scripts/install-deps.sh installs it)" >&2
    exit 77
fi
/usr/bin/python3 - "$work/report.html" <<'PY'
import sys, html5lib
with open(sys.argv[1], "rb") as f:
    data = f.read()
parser = html5lib.HTMLParser(strict=True)
try:
    document = parser.parse(data)
except html5lib.html5parser.ParseError as error:
    sys.exit("report.html is not valid HTML: %s" % error)
namespace = "{http://www.w3.org/1999/xhtml}"
if document.find(".//%sscript" % namespace) is not None:
    sys.exit("report.html holds a script")
for element in document.iter():
    for name in ("src", "href"):
        value = element.get(name)
        if value and not value.startswith("#"):
            sys.exit("report.html refers to %s" % value)
print("report.html: valid HTML5, no script, nothing fetched")
PY

browser=$(command -v chromium || true)
if [ -z "$browser" ]; then
    echo "SKIP: chromium is not installed (scripts/install-deps.sh installs it); the page was not rendered" >&2
    exit 77
fi
shoot() { # NAME WIDTH HEIGHT
    local profile
    profile=$(mktemp -d)
    timeout 120 "$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
        --disable-background-networking --disable-component-update --disable-sync --hide-scrollbars \
        --user-data-dir="$profile" --screenshot="$shots/$1.png" --window-size="$2,$3" \
        "file://$work/report.html" >"$work/$1.log" 2>&1 || { cat "$work/$1.log" >&2; rm -rf "$profile"; return 1; }
    rm -rf "$profile"
    [ -s "$shots/$1.png" ] || { echo "no screenshot $1.png" >&2; return 1; }
    # A page that rendered shows text and table lines, not one flat colour.
    local colours
    colours=$(/usr/bin/convert "$shots/$1.png" -format '%k' info:)
    echo "$1.png: ${2}x${3}, $colours colours"
    [ "$colours" -gt 16 ] || { echo "$1.png is nearly blank" >&2; return 1; }
}
shoot desktop 1200 2100
shoot phone 390 1600
