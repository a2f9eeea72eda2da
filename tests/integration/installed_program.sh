#!/usr/bin/env bash
# Tries the packages as a user would get them, from the packages folder of a build:
#   lint      lintian --pedantic --display-info on the .deb (no errors, none of the tags a
#             Debian review found), hardening-check on both programs, desktop-file-validate
#             and appstreamcli on its files, the man pages without warnings, the /usr/bin
#             links leading into the program folder;
#   deb       installs the .deb into a temporary root (dpkg --root when running as root, else
#             unpacked) and runs the installed program there as an unprivileged user under
#             Xvfb: the window opens with its title and the desktop entry's window class,
#             "Show Price of Unit" switched off persists in the per-user settings file across
#             a restart, and the root-owned catalogue keeps its bytes; as root, root's own run
#             goes to root's per-user file too and dpkg --verify finds every file as shipped;
#   portable  the same with the .tar.gz unpacked into a folder the user owns: the settings
#             stay in its own catalogue and no per-user file is made; the folder carries its
#             copyright and licence.
# Exit code 77 marks a skip (running as root without the right to become another user).
set -euo pipefail
mode=$1
packages=$2
user_id=65534

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

deb=$(ls "$packages"/vk72-configurator_*.deb 2>/dev/null | head -n1)
tgz=$(ls "$packages"/vk72-configurator-*-portable.tar.gz 2>/dev/null | head -n1)
[ -n "$deb" ] || fail "no .deb in $packages (the package_build test makes it)"
[ -n "$tgz" ] || fail "no portable .tar.gz in $packages"

work=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    chmod -R u+w "$work" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
# The unprivileged user must reach what lies below.
chmod 755 "$work"

if [ "$mode" = lint ]; then
    root=$work/root
    dpkg-deb -x "$deb" "$root"
    lintian --pedantic --display-info --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1 || true
    cat "$work/lintian"
    ! grep -q '^E:' "$work/lintian" || fail "lintian reports errors on $deb"
    # What a Debian packaging review found once; none of it may come back.
    reviewed='hardening-[a-z-]+|binary-has-unneeded-section|groff-message|manpage-[a-z-]+'
    reviewed+='|desktop-entry-[a-z-]+|appstream-metadata-[a-z-]+|unstripped-binary-or-object'
    ! grep -E "^[EWIPX]: [^ ]+: ($reviewed)( |$)" "$work/lintian" || fail "lintian finds the tags above again"
    # PIE, stack protector, fortify source, full RELRO, immediate binding: what Debian 12's
    # dpkg-buildflags gives (control-flow protection it does not, so that check is left out).
    # The companion is built with the same flags, but no call of it has a buffer whose size
    # the compiler knows, so nothing can be fortified and hardening-check's fortify test, which
    # looks for fortified calls, would report a false alarm (its manual says so).
    hardening-check --nocfprotection "$root/usr/lib/vk72-configurator/kitbuilder" || fail "hardening-check"
    hardening-check --nocfprotection --nofortify "$root/usr/lib/vk72-configurator/kitbuilder-cli" ||
        fail "hardening-check"
    for page in "$root"/usr/share/man/man1/*.1.gz; do
        warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
    done
    desktop-file-validate "$root/usr/share/applications/vk72-configurator.desktop" ||
        fail "desktop-file-validate"
    metainfo=$(ls "$root"/usr/share/metainfo/*.metainfo.xml)
    appstreamcli validate --pedantic --no-net "$metainfo" || fail "appstreamcli validate"
    # Software centres know the program by its id, lower case, and show what a release brings.
    id=$(sed -n 's|^ *<id>\(.*\)</id>$|\1|p' "$metainfo")
    [ "$(basename "$metainfo")" = "$id.metainfo.xml" ] || fail "$(basename "$metainfo") does not hold the id $id"
    [ "$id" = "${id,,}" ] || fail "the AppStream id $id is not lower case"
    tr -d '\n' <"$metainfo" | grep -Eq '<release [^>]*>[[:space:]]*<description>' ||
        fail "the release entry has no description"
    grep -q '^StartupWMClass=[^ ]\(.*[^ ]\)\?$' "$root/usr/share/applications/vk72-configurator.desktop" ||
        fail "the desktop entry names no window class"
    grep -qx 'Path=/usr/lib/vk72-configurator' "$root/usr/share/applications/vk72-configurator.desktop" ||
        fail "the desktop entry does not start the program in its folder"
    # Customer files of any case get the program's type.
    mkdir -p "$work/mime/packages"
    cp "$root/usr/share/mime/packages/vk72-configurator.xml" "$work/mime/packages/"
    update-mime-database "$work/mime" 2>/dev/null
    grep -qx '50:application/x-vk72-customer:\*\.cst' "$work/mime/globs2" ||
        fail "no case-insensitive *.cst glob: $(grep vk72 "$work/mime/globs2")"
    grep -qx 'MimeType=application/x-vk72-customer;' "$root/usr/share/applications/vk72-configurator.desktop" ||
        fail "the desktop entry does not open customer files"
    for name in vk72-configurator kitbuilder-cli; do
        target=$(readlink "$root/usr/bin/$name") || fail "/usr/bin/$name is not a link"
        [ "$target" = "../lib/vk72-configurator/$name" ] || fail "/usr/bin/$name leads to $target"
    done
    for f in kitbuilder kitbuilder-cli vk72-configurator KITBUILDER.INI KITBUILDER.PRS terminal.jpg NewVersion.rtf; do
        [ -f "$root/usr/lib/vk72-configurator/$f" ] || fail "/usr/lib/vk72-configurator/$f is missing"
    done
    for size in 16 24 32 48 64 128 256; do
        f=$root/usr/share/icons/hicolor/${size}x${size}/apps/vk72-configurator.png
        identify -format '%wx%h' "$f" | grep -qx "${size}x${size}" || fail "$f is not ${size}x${size}"
    done
    # dpkg replaces a package's files on update unless they are conffiles.
    dpkg-deb -e "$deb" "$work/control"
    [ ! -e "$work/control/conffiles" ] || fail "the package marks files as conffiles"
    # The companion found through the link reads the catalogue beside its real path.
    "$root/usr/bin/kitbuilder-cli" lint >"$work/cli" || fail "kitbuilder-cli lint through /usr/bin: $(cat "$work/cli")"
    echo "PASS: lint"
    exit 0
fi

# Runs a command as the unprivileged user (when root) in a clean environment.
as_user() {
    if [ "$(id -u)" -eq 0 ]; then
        setpriv --reuid=$user_id --regid=$user_id --clear-groups -- "$@"
    else
        "$@"
    fi
}
if [ "$(id -u)" -eq 0 ] && ! setpriv --reuid=$user_id --regid=$user_id --clear-groups -- true 2>/dev/null; then
    echo "SKIP: running as root without the right to become another user"
    exit 77
fi

home=$work/home
mkdir -p "$home"
case $mode in
deb)
    root=$work/root
    if [ "$(id -u)" -eq 0 ]; then
        # Installed by dpkg into an empty root of its own: nothing of the machine's package
        # database is touched, and dpkg --verify can check the files afterwards.
        mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
        touch "$root/var/lib/dpkg/status"
        dpkg --root="$root" --log="$work/dpkg.log" --force-depends -i "$deb" >"$work/dpkg.out" 2>&1 ||
            fail "dpkg --root -i: $(cat "$work/dpkg.out")"
    else
        dpkg-deb -x "$deb" "$root"
    fi
    folder=$root/usr/lib/vk72-configurator
    launcher=$root/usr/bin/vk72-configurator
    window_class=$(sed -n 's/^StartupWMClass=//p' "$root/usr/share/applications/vk72-configurator.desktop")
    # As root the unpacked files belong to root already; otherwise make them read-only,
    # as an installed copy is to its users.
    [ "$(id -u)" -eq 0 ] || chmod -R a-w "$root"
    settings=$home/.config/vk72-configurator/settings.ini
    ;;
portable)
    tar -xzf "$tgz" -C "$work"
    folder=$(ls -d "$work"/vk72-configurator-*-portable)
    launcher=$folder/vk72-configurator
    settings=$folder/KITBUILDER.INI
    ;;
*)
    fail "unknown mode $mode"
    ;;
esac
[ "$(id -u)" -ne 0 ] || chown -R $user_id:$user_id "$home"
[ "$(id -u)" -ne 0 ] || [ "$mode" != portable ] || chown -R $user_id:$user_id "$folder"
catalogue_before=$(sha256sum <"$folder/KITBUILDER.INI")
listing_before=$(ls -la --time-style=+ "$folder" | sort)

Xvfb -displayfd 3 -nolisten tcp -ac -screen 0 1280x1024x24 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$(head -n1 "$work/display")

run_as=as_user
start_program() {
    # HOME without XDG_CONFIG_HOME: the settings must land in the default place.
    $run_as env -i HOME="$home" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin LANG=C.UTF-8 \
        "$launcher" >"$work/program.log" 2>&1 &
    program_pid=$!
    window=$(timeout 30 xdotool search --sync --onlyvisible --name '^VK72 Configuration Tool' | head -n1) ||
        fail "the main window did not open: $(cat "$work/program.log")"
    title=$(xdotool getwindowname "$window")
    [ "$title" = "VK72 Configuration Tool 2.0 [Customer: ----] [File: ----]" ] || fail "window title \"$title\""
    # Docks match the window to its desktop entry by this class, exactly.
    [ -z "${window_class:-}" ] || xdotool search --class "^$window_class\$" | grep -qx "$window" ||
        fail "the window's class is not the desktop entry's \"$window_class\""
}

stop_program() {
    xdotool windowfocus --sync "$window" key --clearmodifiers ctrl+q
    for _ in $(seq 100); do
        kill -0 "$program_pid" 2>/dev/null || break
        sleep 0.1
    done
    ! kill -0 "$program_pid" 2>/dev/null || fail "the program did not end on Ctrl+Q"
    wait "$program_pid" || fail "the program ended with an error: $(cat "$work/program.log")"
    program_pid=
}

visible_windows() {
    xdotool search --onlyvisible --name '' | wc -l
}

# Settings menu, then the first enabled item: "Show Price of Unit".
toggle_show_prices() {
    local before
    before=$(visible_windows)
    xdotool windowfocus --sync "$window" key --clearmodifiers alt+s
    # The open menu is a window of its own.
    for _ in $(seq 100); do
        [ "$(visible_windows)" -gt "$before" ] && break
        sleep 0.1
    done
    [ "$(visible_windows)" -gt "$before" ] || fail "the Settings menu did not open"
    xdotool key --clearmodifiers Return
}

wait_for_setting() {
    local want=$1
    for _ in $(seq 100); do
        [ -f "$settings" ] && grep -qx "ShowPrices=$want" <(tr -d '\r' <"$settings") && return 0
        sleep 0.1
    done
    fail "$settings does not hold ShowPrices=$want: $(cat "$settings" 2>/dev/null)"
}

start_program
toggle_show_prices
wait_for_setting 0
stop_program
# Started again, the program shows the stored state: switching once more turns the prices on.
start_program
toggle_show_prices
wait_for_setting 1
stop_program

if [ "$mode" = deb ]; then
    [ "$(sha256sum <"$folder/KITBUILDER.INI")" = "$catalogue_before" ] || fail "the installed catalogue changed"
    [ "$(ls -la --time-style=+ "$folder" | sort)" = "$listing_before" ] || fail "the program folder changed"
    [ "$(stat -c %a "$(dirname "$settings")")" = 700 ] || fail "the settings folder is open to others"
    if [ "$(id -u)" -eq 0 ]; then
        # Root may write the catalogue, and still its choice goes to its own settings file.
        run_as=env
        home=$work/root-home
        settings=$home/.config/vk72-configurator/settings.ini
        mkdir -p "$home"
        start_program
        toggle_show_prices
        wait_for_setting 0
        stop_program
        [ "$(sha256sum <"$folder/KITBUILDER.INI")" = "$catalogue_before" ] || fail "root's run changed the catalogue"
        [ "$(ls -la --time-style=+ "$folder" | sort)" = "$listing_before" ] || fail "root's run changed the folder"
        verify=$(dpkg --root="$root" --verify vk72-configurator 2>&1) || fail "dpkg --verify: $verify"
        [ -z "$verify" ] || fail "dpkg --verify: $verify"
    fi
else
    [ ! -e "$home/.config" ] || fail "the portable copy made a per-user settings file"
    [ -s "$folder/COPYRIGHT" ] && [ -s "$folder/LICENSE" ] || fail "the portable folder lacks COPYRIGHT or LICENSE"
    grep -q "^Copyright: " "$folder/COPYRIGHT" || fail "COPYRIGHT names no copyright holder"
    # The licence in COPYRIGHT is LICENSE's text.
    [ "$(sed -n '/^License:/,$p' "$folder/COPYRIGHT" | sed '1d; s/^ //; s/^\.$//' | tr -s ' \n' ' ')" = \
        "$(tr -s ' \n' ' ' <"$folder/LICENSE")" ] || fail "COPYRIGHT and LICENSE give different terms"
fi
echo "PASS: $mode"
