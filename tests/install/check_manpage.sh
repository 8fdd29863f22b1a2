#!/bin/bash
# Checks the manual page of quobrix against the program's own help texts:
# it renders without a warning, has its sections and a whatis entry, lists
# every command that --help lists, shows every option, example and backslash
# of the help texts, and carries the program's version.
#
# Usage: check_manpage.sh QUOBRIX MANPAGE    (MANPAGE: quobrix.1 or quobrix.1.gz)
# Exit status: 0 all holds; 1 something does not (each said on standard
# error); 2 a usage error or a missing file.
set -u -o pipefail

if [ $# -ne 2 ] || [ ! -x "$1" ] || [ ! -f "$2" ]; then
    echo "usage: check_manpage.sh QUOBRIX MANPAGE" >&2
    exit 2
fi
quobrix=$1 manpage=$2
failures=0
fail() {
    echo "check_manpage: $*" >&2
    failures=$((failures + 1))
}

case $manpage in
    *.gz) gzip -t "$manpage" || fail "$manpage is no whole gzip file" ;;
esac

warnings=$(MANWIDTH=80 man --warnings -l "$manpage" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man warns: $warnings"
page=$(MANWIDTH=80 man -l "$manpage" 2>/dev/null | col -bx) || fail "man cannot render $manpage"

# mandb indexes the page by its NAME line, which whatis and apropos show.
lexgrog "$manpage" >/dev/null 2>&1 || fail "man-db finds no whatis entry in the NAME section"

for section in NAME SYNOPSIS DESCRIPTION OPTIONS COMMANDS 'EXIT STATUS' EXAMPLES 'SEE ALSO'; do
    grep -qx "$section" <<<"$page" || fail "no section $section"
done

version=$("$quobrix" --version) || fail "$quobrix --version failed"
head -n 1 <<<"$page" | grep -q '^QUOBRIX(1) ' || fail "the page is not QUOBRIX(1)"
tail -n 1 <<<"$page" | grep -qF "$version" || fail "the last line does not say $version"

# Every command of --help, as an entry of COMMANDS: its name first on a line.
top_help=$("$quobrix" --help) || fail "$quobrix --help failed"
mapfile -t commands < <(grep -oE '^  [a-z][a-z0-9]+ {2,}' <<<"$top_help" | tr -d ' ')
[ ${#commands[@]} -gt 0 ] || fail "--help lists no command"
index=$(sed -n '/^COMMANDS$/,/^[A-Z]/p' <<<"$page")
helps=$top_help
for command in "${commands[@]}"; do
    grep -qE "^ +$command( {2,}|$)" <<<"$index" || fail "COMMANDS has no entry $command"
    helps+=$'\n'$("$quobrix" "$command" --help) || fail "$quobrix $command --help failed"
done

# Every option, every example's command and every word with a backslash of
# the help texts stands in the page as it is (typed minus signs included).
in_page() {  # WHAT WORD...
    local what=$1 word
    shift
    [ $# -gt 0 ] || fail "the help texts hold no $what"
    for word; do
        grep -qwF -- "$word" <<<"$page" || fail "no $what in the page: $word"
    done
}
mapfile -t options < <(grep -oE '^  --?[a-z][a-z-]*' <<<"$helps" | sed 's/^ *//' | sort -u)
in_page option "${options[@]}"
mapfile -t examples < <(grep -E '^  \$ ' <<<"$helps" | sed 's/^ *//' | sort -u)
in_page example "${examples[@]}"
mapfile -t backslashed < <(grep -oE '[^ ]*\\[^ ]*' <<<"$helps" | sort -u)
in_page 'word with a backslash' "${backslashed[@]}"

[ "$failures" -eq 0 ] || exit 1
echo "check_manpage: ${#commands[@]} commands, ${#options[@]} options, ${#examples[@]} examples: all in $manpage"
