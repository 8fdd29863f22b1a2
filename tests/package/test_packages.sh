#!/usr/bin/env bash
# test_packages.sh DIST
#
# Tests what a user installs, from the packages scripts/package wrote to DIST:
# the .deb passes lintian and, unpacked, runs its command, renders its manual
# pages, completes, and its quobrix-gui starts the dialog under Wine in a
# prefix of its own; the zips hold Windows text and programs of the right
# kind, and the win64 zip's programs run under Wine; each carries the page
# that DIST holds beside them.
#
# Needs the win64 build (its window test driver finds the dialog) and Xvfb.
set -uo pipefail
. "$(dirname "$0")/../../scripts/lib.sh"

if [ $# -ne 1 ]; then
    echo "usage: test_packages.sh DIST" >&2
    exit 2
fi
dist=$(readlink -f "$1")
version=$(sed -n 's/^project(Quobrix VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
deb=$dist/quobrix_${version}_amd64.deb
zip32=$dist/quobrix-$version-win32.zip
zip64=$dist/quobrix-$version-win64.zip
page=$dist/quobrix-$version.html
win64_bin=$ROOT/build/win64/bin

work=$(mktemp -d /tmp/test-packages.XXXXXX)
xvfb_pid=
cleanup() {
    if [ -d "$work/home/.local/share/quobrix/wineprefix" ]; then
        WINEPREFIX=$work/home/.local/share/quobrix/wineprefix "$WINE_SERVER" -k 2>/dev/null
    fi
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
pass() { echo "ok   $1"; }
fail() { echo "FAIL $1"; failures=$((failures + 1)); }
# check NAME COMMAND...: one test, passed when COMMAND succeeds.
check() {
    local name=$1
    shift
    if "$@"; then pass "$name"; else fail "$name"; fi
}
# Polls COMMAND every 0.2 s, at most TRIES times.
wait_for() {
    local tries=$1
    shift
    for _ in $(seq 1 "$tries"); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}

for package in "$deb" "$zip32" "$zip64" "$page"; do
    [ -f "$package" ] || { echo "FAIL no package $package"; exit 1; }
done

# The dialog's CRC-16 report of 123456789: the CRC-16/XMODEM check value 31C3
# and its frame.
crc16_report=$'CRC16\xe8\xae\xa1\xe7\xae\x97\xe7\xbb\x93\xe6\x9e\x9c\xef\xbc\x9a31C3\r\n\r\n'
crc16_report+=$'\xe6\xb9\x96\xe5\x8c\x97TRV41\xe5\x92\x8cTRV42\xe5\x8d\x8f\xe8\xae\xae'
crc16_report+=$'\xe4\xb8\x93\xe7\x94\xa8\xef\xbc\x9a\r\nAA 31 32 33 34 35 36 37 38 39 31 C3 00 00 A9'
prints_crc16_report() {  # prints_crc16_report COMMAND...
    [ "$("$@" crc16 123456789; printf x)" = "${crc16_report}x" ]
}

echo "== the .deb"
lintian_errors() {
    # Errors fail; warnings and notes are shown.
    lintian --fail-on error "$deb" 2>/dev/null | tee "$work/lintian.txt"
    [ "${PIPESTATUS[0]}" -eq 0 ] && ! grep -q '^E:' "$work/lintian.txt"
}
check "lintian reports no errors" lintian_errors

root=$work/root
dpkg-deb -x "$deb" "$root"
bin=$root/usr/bin
check "quobrix --version" test "$("$bin/quobrix" --version)" = "quobrix $version"
check "quobrix crc16 prints the dialog's report" prints_crc16_report "$bin/quobrix"
check "quobrix crc finds the catalogue" test "$("$bin/quobrix" crc CRC-32/ISO-HDLC --text 123456789)" = CBF43926
renders() { [ -z "$(MANWIDTH=80 man --warnings -l "$1" 2>&1 >/dev/null)" ]; }
check "man -l renders quobrix-gui(1) without warnings" renders "$root/usr/share/man/man1/quobrix-gui.1.gz"
check "man -l renders quobrix-workbench(1) without warnings" \
    renders "$root/usr/share/man/man1/quobrix-workbench.1.gz"
for entry in quobrix-gui quobrix-workbench; do
    check "the desktop entry $entry.desktop is valid and starts $entry" \
        sh -c 'desktop-file-validate "$1" && grep -qx "Exec=$2" "$1"' - \
        "$root/usr/share/applications/$entry.desktop" "$entry"
done
# It renders quobrix(1) as man -l does, without warnings, among its checks.
check "the manual page renders and describes every command" \
    "$ROOT/tests/install/check_manpage.sh" "$bin/quobrix" "$root/usr/share/man/man1/quobrix.1.gz"
check "the completion completes commands, options, models and files" \
    "$ROOT/tests/install/check_completion.sh" "$bin/quobrix" \
    "$root/usr/share/bash-completion/completions/quobrix"
# The programs carry no debugging sections: the builds the tests ran keep
# theirs, and the packages strip them.
undebugged() { [ -s "$1" ] && ! objdump -h "$1" | grep -q '\.debug_'; }
for program in "$bin/quobrix" "$root/usr/lib/quobrix/Quobrix.exe" "$root/usr/lib/quobrix/QuobrixWorkbench.exe"; do
    check "${program#"$root"} is stripped" undebugged "$program"
done
check "/usr/share/quobrix/quobrix.html is the page" cmp -s "$page" "$root/usr/share/quobrix/quobrix.html"
for doc in README.md LICENSE copyright changelog.gz; do
    check "/usr/share/doc/quobrix/$doc" test -s "$root/usr/share/doc/quobrix/$doc"
done

# quobrix-gui: no display, no start; with one, the dialog in the user's own
# prefix, and the caller's WINEPREFIX left alone.
home=$work/home
mkdir -p "$home"
no_display() {
    local message status
    message=$(env -u DISPLAY HOME="$home" "$bin/quobrix-gui" 2>&1)
    status=$?
    [ "$status" -eq 1 ] && [[ $message == *"no display"* ]] && [ ! -e "$home/.local" ]
}
check "quobrix-gui without a display says so and starts nothing" no_display

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
wait_for 100 grep -q '^[0-9]' "$work/display"
display=:$(head -n1 "$work/display")
other_prefix=$work/other-prefix
HOME=$home DISPLAY=$display WINEPREFIX=$other_prefix XDG_DATA_HOME= \
    timeout 300 "$bin/quobrix-gui" >"$work/gui.log" 2>&1 &
gui_pid=$!
dialog_shown() { DISPLAY=$display xdotool search --name '^Quobrix' >/dev/null 2>&1; }
# The first start makes the prefix: allow it up to five minutes.
check "quobrix-gui opens the dialog" wait_for 1500 dialog_shown
# Ending the prefix's server ends the dialog and writes the registry out.
WINEPREFIX=$home/.local/share/quobrix/wineprefix "$WINE_SERVER" -k 2>/dev/null
wait "$gui_pid" 2>/dev/null
gui_prefix=$home/.local/share/quobrix/wineprefix
check "quobrix-gui keeps its prefix under the home" test -f "$gui_prefix/system.reg"
# Marlett draws the title bar's buttons; without it they are letters.
check "quobrix-gui gives Wine its own fonts" test -e "$gui_prefix/drive_c/windows/Fonts/marlett.ttf"
check "quobrix-gui leaves the caller's WINEPREFIX alone" test ! -e "$other_prefix"
# quobrix-workbench: the workbench window, in the same prefix.
HOME=$home DISPLAY=$display XDG_DATA_HOME= timeout 300 "$bin/quobrix-workbench" >"$work/workbench.log" 2>&1 &
workbench_pid=$!
workbench_shown() { DISPLAY=$display xdotool search --name '^Quobrix 工作台' >/dev/null 2>&1; }
check "quobrix-workbench opens the workbench window" wait_for 1500 workbench_shown
WINEPREFIX=$gui_prefix "$WINE_SERVER" -k 2>/dev/null
wait "$workbench_pid" 2>/dev/null

echo "== the zips"
unpack() {  # unpack ZIP: its one folder
    local into=$work/${1##*/}
    mkdir -p "$into"
    python3 -m zipfile -e "$1" "$into" && echo "$into/$(basename "$1" .zip)"
}
# Every line of a Windows text ends with CR LF.
windows_text() { [ -s "$1" ] && ! grep -q $'[^\r]$\|^$' "$1"; }
# The machine a PE program is built for: 14c i386, 8664 x86-64.
pe_machine() {
    python3 -c 'import struct, sys
data = open(sys.argv[1], "rb").read(4096)
offset = struct.unpack_from("<I", data, 0x3C)[0]
assert data[offset:offset + 4] == b"PE\0\0"
print("%x" % struct.unpack_from("<H", data, offset + 4)[0])' "$1"
}
for kind in win32:14c win64:8664; do
    name=${kind%%:*} machine=${kind##*:}
    folder=$(unpack "$dist/quobrix-$version-$name.zip")
    for text in README.txt LICENSE.txt; do
        check "$name: $text has CR LF line ends" windows_text "$folder/$text"
    done
    for program in Quobrix.exe QuobrixWorkbench.exe quobrix-cli.exe; do
        check "$name: $program is built for machine $machine" \
            test "$(pe_machine "$folder/$program")" = "$machine"
        check "$name: $program is stripped" undebugged "$folder/$program"
    done
    check "$name: quobrix.html is the page" cmp -s "$page" "$folder/quobrix.html"
done

folder=$work/quobrix-$version-win64.zip/quobrix-$version-win64
export WINEPREFIX=$ROOT/build/win64/wineprefix-cli
check "win64: quobrix-cli.exe prints the dialog's report under Wine" \
    prints_crc16_report "$ROOT/tests/cli/wine-console" "$folder/quobrix-cli.exe"
export WINEPREFIX=$ROOT/build/win64/wineprefix
check "win64: Quobrix.exe opens the dialog under Wine" \
    "$ROOT/scripts/wine-session" "$win64_bin/window_tests.exe" --app="$folder/Quobrix.exe" \
    --probe="$ROOT/build/win64/tests/window/window_probe.dll" \
    --gtest_filter='InitialState.EditsEmptyAsciiCheckedPlaceholdersDisabledFocusOnExit'

if [ "$failures" -ne 0 ]; then
    echo "test_packages: $failures failed" >&2
    exit 1
fi
echo "test_packages: all passed"
