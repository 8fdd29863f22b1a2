# Shared by the scripts: the repository root, and installing what is missing.
# shellcheck shell=bash
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export ROOT

# Installs the Debian packages among "$@" that are not installed yet.
ensure_packages() {
    local missing=() pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

BUILD_PACKAGES=(cmake ninja-build g++ python3 g++-mingw-w64-x86-64-posix)
BUILD_PACKAGES+=(libcli11-dev)  # the command line's parser, header-only, for every build
TEST_PACKAGES=(libgtest-dev googletest g++-mingw-w64-i686-posix)
TEST_PACKAGES+=(time)  # GNU time: the peak memory of a command-line run, as README shows it
# The packages' tests: Debian's package checker, the manual page reader, the
# completion library, the desktop entries' validator.
TEST_PACKAGES+=(lintian man-db bash-completion desktop-file-utils)
# quobrix array's oracles: xxd -i writes the same text; gcc compiles it.
TEST_PACKAGES+=(xxd gcc)
# The message catalogues' checkers: msgfmt, xgettext, msgcmp; gettext(1), glibc's lookup.
TEST_PACKAGES+=(gettext gettext-base)
# quobrix serial and tcp: socat makes pty pairs for a cable, python3-serial the
# independent peer at their other end.
TEST_PACKAGES+=(socat python3-serial)
# MODBUS: pymodbus 3.0's framers build the frames the library is held to, and
# its server and client (serial-asyncio for its serial side) are peers of the
# master and the simulated device; mbpoll, a master written apart from ours;
# libmodbus-dev, whose example test server the tests build as a peer.
TEST_PACKAGES+=(python3-pymodbus python3-serial-asyncio mbpoll libmodbus-dev)
# scripts/package: the 32-bit Windows compiler of the release build.
PACKAGE_PACKAGES=(g++-mingw-w64-i686-posix)
WINE_PACKAGES=(wine wine64 xvfb xdotool imagemagick fonts-wqy-microhei)
# Wine's own fonts: without them the title bar shows letters for its glyphs.
WINE_PACKAGES+=(fonts-wine)
# The benchmarks (built with the native preset) and the programs scripts/bench
# compares the command line with.
BENCH_PACKAGES=(libbenchmark-dev zlib1g-dev libcrcutil-dev xxd rhash)
# The 32-bit build: the cross compiler, qemu's user-mode emulator that runs its
# programs, and the 32-bit C library's iconv converters the tests read GBK with.
I686_PACKAGES=(g++-i686-linux-gnu qemu-user libc6-i386)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)  # clang++ with libFuzzer and the sanitizers
# The page (the web preset): Debian's emscripten builds it; its tests drive
# Debian's Chromium through chromedriver from Debian's Python, and Firefox ESR
# over its own remote protocol (Debian has no geckodriver).
WEB_BUILD_PACKAGES=(emscripten)
WEB_PACKAGES=(emscripten chromium chromium-driver python3-selenium firefox-esr)

# Configures and builds one preset.
build_preset() {
    cmake --preset "$1" -S "$ROOT" >/dev/null
    cmake --build --preset "$1" -- -j"$(nproc)"
}

# Wine takes the ANSI code page from the locale: zh_CN.UTF-8 gives code page
# 936. Without the glibc locale installed, Wine misreads non-ASCII arguments.
ensure_zh_locale() {
    locale -a 2>/dev/null | grep -qix 'zh_CN.utf8' && return 0
    ensure_packages locales
    local sudo=
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen ||
        echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen >/dev/null
}

WINE_LOADER=/usr/lib/wine/wine64  # the `wine` wrapper would pick the 32-bit loader
WINE_SERVER=/usr/lib/wine/wineserver

# Creates the Wine prefix $WINEPREFIX, or mends one whose creation was cut
# short: Wine stamps a prefix as current before it fills it, so after an
# interrupted first start it would never fill it again. Our own stamp comes
# last; without it Wine's is dropped and the prefix updated afresh.
# "$@" goes before each Wine command (e.g. a timeout).
boot_wine_prefix() {
    if [ ! -f "$WINEPREFIX/.quobrix-prefix-booted" ]; then
        rm -f "$WINEPREFIX/.update-timestamp"
        "$@" "$WINE_LOADER" wineboot -u >/dev/null 2>&1
        "$@" "$WINE_SERVER" -w
        touch "$WINEPREFIX/.quobrix-prefix-booted"
    fi
    link_wine_fonts
}

# Wine's own fonts (fonts-wine: Marlett draws the title bar's buttons, Tahoma
# stands for MS Shell Dlg) are looked for by Debian's Wine 8 under a path it
# cannot open, so the title bar shows letters instead. Wine also loads every
# font in the prefix's Fonts folder, where Windows keeps its own: they are
# linked there. Cheap, so done at every start; a prefix made before is mended.
WINE_FONTS_DIR=/usr/share/wine/fonts
link_wine_fonts() {
    local fonts=$WINEPREFIX/drive_c/windows/Fonts font
    [ -d "$WINE_FONTS_DIR" ] && [ -d "$fonts" ] || return 0
    for font in "$WINE_FONTS_DIR"/*; do
        [ -e "$fonts/${font##*/}" ] || ln -s "$font" "$fonts/"
    done
}
