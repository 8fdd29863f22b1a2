#!/bin/bash
# Checks the bash completion of quobrix: sourced into a non-interactive bash
# whose PATH finds QUOBRIX as `quobrix`, once alone and once after
# bash-completion's own library (where it is installed), its function is
# called as bash calls it, on words as bash parts them.
#
# Usage: check_completion.sh QUOBRIX COMPLETION_FILE
# Exit status: 0 all holds; 1 something does not (each said on standard
# error); 2 a usage error or a missing file.
set -u -o pipefail

if [ $# -ne 2 ] || [ ! -x "$1" ] || [ ! -f "$2" ]; then
    echo "usage: check_completion.sh QUOBRIX COMPLETION_FILE" >&2
    exit 2
fi
quobrix=$(realpath "$1") completion=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/some-dir"
ln -s "$quobrix" "$work/bin/quobrix"
touch "$work/some-dir/firmware.bin" "$work/some-dir/other.hex"
failures=0
library=''

# The completions of WORDS (as COMP_WORDS; the last is the word at the
# cursor, which ends COMP_LINE), sorted, one a line.
completions() {
    (cd "$work" && PATH="$work/bin:$PATH" bash --norc --noprofile -c '
        library=$1 completion=$2
        shift 2
        if [ -n "$library" ]; then source "$library" || exit 3; fi
        source "$completion" || exit 3
        COMP_WORDS=("$@")
        COMP_CWORD=$(($# - 1))
        COMP_LINE=$(IFS=" "; echo "${COMP_WORDS[*]}")
        COMP_LINE=${COMP_LINE// = /=}
        COMP_POINT=${#COMP_LINE}
        _quobrix quobrix "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        [ ${#COMPREPLY[@]} -eq 0 ] || printf "%s\n" "${COMPREPLY[@]}" | LC_ALL=C sort
    ' check "$library" "$completion" "$@")
}

sorted() { tr ' ' '\n' | grep -v '^$' | LC_ALL=C sort; }

# expect WANT WORDS...: the completions are exactly the blank-separated WANT.
expect() {
    local want=$1 got
    shift
    got=$(completions "$@") || { fail "$*: the completion failed"; return; }
    [ "$got" = "$(sorted <<<"$want")" ] || fail "$*: gave [${got//$'\n'/ }], not [$want]"
}

# expect_all WANT WORDS...: the completions include every word of WANT.
expect_all() {
    local want=$1 missing
    shift
    missing=$(LC_ALL=C comm -23 <(sorted <<<"$want" | uniq) <(completions "$@"))
    [ -z "$missing" ] || fail "$*: did not offer ${missing//$'\n'/ }"
}

fail() {
    echo "check_completion${library:+ (with $library)}: $*" >&2
    failures=$((failures + 1))
}

commands=$("$quobrix" --help | grep -oE '^  [a-z][a-z0-9]+ {2,}' | tr -d ' ')
models=$("$quobrix" crc --list | sed -n 's/.* name="\(.*\)"$/\1/p')
crc_options=$("$quobrix" crc --help | grep -oE '^  --[a-z][a-z-]*' | tr -d ' ')

check() {
    expect 'crc crc8 crc16 crc32' quobrix cr
    expect "$commands" quobrix ''
    expect 'CRC-16/MODBUS' quobrix crc CRC-16/MOD
    expect 'CRC-16/MODBUS' quobrix crc crc-16/modb    # names in any case
    expect "$models" quobrix crc ''
    expect 'CRC-32/ISO-HDLC' quobrix --hex crc CRC-32/ISO-H
    expect_all "$crc_options" quobrix crc --
    expect_all '--width --list --bytes --help' quobrix crc --
    expect '--hex --help --ascii --low-first --gbk' quobrix sum8 -
    expect '--help --version --hex --ascii --low-first --gbk' quobrix --
    # A FILE after the MODEL, and with parameters of one's own, without MODEL.
    expect './some-dir/firmware.bin' quobrix crc CRC-32/ISO-HDLC ./some-dir/fi
    expect './some-dir/firmware.bin' quobrix crc CRC-32/ISO-HDLC a.bin ./some-dir/fi
    expect './some-dir/firmware.bin' quobrix crc --width 16 --poly 8005 ./some-dir/fi
    expect './some-dir/firmware.bin' quobrix crc CRC-16/MODBUS --bytes le ./some-dir/fi
    expect '' quobrix crc CRC-16/MODBUS --text ''
    expect '' quobrix crc --list ''
    # Option values, also after "=", which bash makes a word of its own.
    expect 'be le' quobrix crc CRC-16/MODBUS --bytes ''
    expect 'be le' quobrix crc CRC-16/MODBUS --bytes =
    expect 'le' quobrix crc CRC-16/MODBUS --bytes = l
    expect 'true' quobrix crc --width 8 --refin t
    expect 'int16 uint16 int32 uint32 int64 uint64 float32 float64' quobrix num --type ''
    expect 'float32 float64' quobrix num --type fl
    expect 'be le' quobrix frame CRC-16/MODBUS --order ''
    # frame's CHECK: the catalogue's names and the sums'.
    expect 'CRC-16/MODBUS' quobrix frame CRC-16/MODB
    expect 'SUM-8 SUM-8/ONES SUM-8/TWOS' quobrix frame sum-8
    expect '' quobrix frame CRC-16/MODBUS 01
}

check
if [ -f /usr/share/bash-completion/bash_completion ]; then
    library=/usr/share/bash-completion/bash_completion
    check
else
    echo "check_completion: bash-completion is not installed: checked without its library only"
fi

[ "$failures" -eq 0 ] || exit 1
echo "check_completion: $completion completes commands, options, values, models and files"
