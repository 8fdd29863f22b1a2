#!/usr/bin/env python3
"""Writes the bash completion of quobrix from the program's own help texts.

Usage: gen_completion.py QUOBRIX TEMPLATE OUTPUT

The completion's logic is TEMPLATE; this fills in, at its line "@TABLES@",
what the help texts say: the commands, each command's options, the values an
option's argument takes, the forms of each command (which options go with
which operands) and the sums' names. The catalogue's names are not here: the
completion asks `quobrix crc --list` for them when it runs, so they follow
the installed program.
"""
import re
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import help_text  # noqa: E402

SUM_NAME = re.compile(r"\b[A-Z]+-\d+(?:/[A-Z]+)?\b")
# A text that starts with names of types, "int16 uint16 float32:", lists the values.
VALUE_LIST = re.compile(r"^((?:[a-z]+[0-9]+ )+[a-z]+[0-9]+):")


def quoted(word):
    return "'" + word.replace("'", "'\\''") + "'"


def words(items):
    return " ".join(quoted(item) for item in items)


def option_lists(blocks):
    return [e for b in blocks if b.kind == "list" for e in b.entries if help_text.option_words(e.term)]


def options(blocks):
    return [word for entry in option_lists(blocks) for word in help_text.option_words(entry.term)]


def choices(argument):
    """be|le gives be and le, c gives c; a placeholder (upper case) gives nothing."""
    return [] if argument.isupper() or argument.endswith("...") else argument.split("|")


def arguments(command):
    """Each option that takes an argument, with the values it takes: from its
    term (--bytes be|le), else from a usage form (--refin true|false), else
    from the words its text starts with (--type TYPE  int16 uint16 ...:)."""
    forms = " ".join(help_text.first(command.blocks, "usage").forms)
    taken = {}
    for entry in option_lists(command.blocks):
        option, *rest = entry.term.split()
        if not rest:
            continue
        values = choices(rest[0])
        in_usage = re.search(re.escape(option) + r" ([a-z0-9]+(?:\|[a-z0-9]+)+)\b", forms)
        if not values and in_usage:
            values = in_usage.group(1).split("|")
        listed = VALUE_LIST.match(" ".join(entry.text))
        if not values and listed:
            values = listed.group(1).split()
        taken[option] = ["@" + rest[0].rstrip(".")] if not values and rest[0].startswith("FILE") else values
    return taken


def forms(command, taken):
    """Each usage form as "OPTIONS|OPERANDS": the options it names and its
    operands (placeholders) in order, the last ending in ... if it repeats."""
    out = []
    for form in help_text.first(command.blocks, "usage").forms:
        tokens = [t for t in re.findall(r"[^\s\[\]]+", form)[2:] if t != "|"]  # past "quobrix NAME"
        options, operands, skip = [], [], False
        for token in tokens:
            if skip:
                skip = False
            elif token.startswith("-"):
                if token != "--":
                    options.append(token)
                skip = token in taken
            else:
                operands.append(token)
        out.append(" ".join(options) + "|" + " ".join(operands))
    return out


def sums(commands):
    for command in commands:
        for block in command.blocks:
            if block.kind == "prose" and block.lines[0].startswith("The sums:"):
                return SUM_NAME.findall(" ".join(block.lines))
    return []


def cases(replies):
    """Case branches "NAME) REPLY=(...) ;;", one for the names that share a reply."""
    names = {}
    for name, reply in replies:
        names.setdefault(reply, []).append(quoted(name))
    return ["        %s) REPLY=(%s) ;;" % ("|".join(n), reply) for reply, n in names.items()]


def tables(quobrix):
    top, commands = help_text.read(quobrix)
    lines = ["_quobrix_commands() { REPLY=(%s); }" % words(c.name for c in commands),
             "_quobrix_sums() { REPLY=(%s); }" % words(sums(commands)),
             "# The options of a command, or of none yet.",
             "_quobrix_options() {",
             "    case $1 in",
             "        '') REPLY=(%s) ;;" % words(o for o in options(top) if o != "--")]
    lines += cases((c.name, words(o for o in options(c.blocks) + ["--help"] if o != "--")) for c in commands)
    lines += ["        *) REPLY=() ;;", "    esac", "}",
              "# The values of a command's option that takes an argument (@FILE: a file",
              "# name); fails for an option that takes none.",
              "_quobrix_argument() {",
              "    case \"$1 $2\" in"]
    for command in commands:
        for option, values in arguments(command).items():
            lines.append("        %s) REPLY=(%s) ;;" % (quoted(command.name + " " + option), words(values)))
    lines += ["        *) return 1 ;;", "    esac", "}",
              "# A command's forms, \"OPTIONS|OPERANDS\" each, in the order of its help.",
              "_quobrix_forms() {",
              "    case $1 in"]
    lines += cases((c.name, words(forms(c, arguments(c)))) for c in commands)
    lines += ["        *) REPLY=() ;;", "    esac", "}"]
    return "\n".join(lines)


def main():
    if len(sys.argv) != 4:
        raise SystemExit("usage: gen_completion.py QUOBRIX TEMPLATE OUTPUT")
    with open(sys.argv[2], encoding="utf-8") as template:
        text = template.read()
    if text.count("@TABLES@\n") != 1:
        raise SystemExit("%s: no line @TABLES@" % sys.argv[2])
    text = text.replace("@TABLES@\n", tables(sys.argv[1]) + "\n")
    with open(sys.argv[3], "w", encoding="utf-8", newline="\n") as out:
        out.write(text)


if __name__ == "__main__":
    main()
