#!/usr/bin/env python3
"""Writes the manual page quobrix(1) from the program's own help texts.

Usage: gen_manpage.py QUOBRIX OUTPUT

Runs `QUOBRIX --help` and `QUOBRIX NAME --help` for every command it lists,
so the page says what the help says. The dialog's tools share one help, which
differs only in the tool's name and input: they are one subsection, with the
list of tools. The top level's usage, prose, option lists, exit status and
examples make the page's SYNOPSIS, DESCRIPTION, OPTIONS, EXIT STATUS and
EXAMPLES; its groups of commands make the index of COMMANDS.
"""
import re
import sys

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import help_text  # noqa: E402

WORD = re.compile(r"[A-Za-z0-9][A-Za-z0-9-]*|--?[A-Za-z0-9-]*")


def escape(text):
    """Text for roff: the backslash, the minus of options and commands typed
    as they are, ASCII quotes, and characters beyond ASCII by their code."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    text = text.replace("'", "\\(aq").replace("`", "\\(ga")
    return "".join(c if ord(c) < 0x80 else "\\[u%04X]" % ord(c) for c in text)


def text_line(line):
    """A line of running text: a leading . or ' would be read as a request."""
    line = escape(line.strip())
    return "\\&" + line if line[:1] in (".", "'") else line


def arg(text):
    """A macro's argument, quoted."""
    return '"' + escape(text).replace('"', '""') + '"'


def markup(words):
    """Usage words: placeholders (upper case) in italics, what is typed in bold."""
    out, end = [], 0
    for match in WORD.finditer(words):
        out.append(escape(words[end:match.start()]))
        word = match.group(0)
        font = "I" if re.fullmatch(r"[A-Z][A-Z0-9]*", word) else "B"
        out.append("\\f%s%s\\fR" % (font, escape(word)))
        end = match.end()
    return "".join(out) + escape(words[end:])


def synopsis(forms):
    lines = []
    for form in forms:
        lines += [".SY quobrix", markup(form.removeprefix("quobrix ")), ".YS"]
    return lines


def prose(lines):
    """A paragraph; lines indented in the help are shown as they are."""
    out = [".PP"]
    for line in lines:
        if line.startswith(" "):
            out += [".RS 4", ".nf", escape(line.strip()), ".fi", ".RE"]
        else:
            out.append(text_line(line))
    return out


def entries(items):
    """A tagged list of (term in roff, [lines of text])."""
    out = []
    for term, lines in items:
        out += [".TP", term] + [text_line(line) for line in lines]
    return out


def label(heading):
    return [".PP", text_line(heading + ":")] if heading else []


def exit_codes(block):
    if not block.codes:
        return prose(block.lines)
    return entries([("\\fB%s\\fR" % code, [text]) for code, text in block.codes])


def examples(block):
    out = []
    for command, printed in block.examples:
        out += [".PP", ".RS 4", ".nf", "$ \\fB%s\\fR" % escape(command)]
        out += [escape(line) for line in printed] + [".fi", ".RE"]
    return out


def render(block):
    """A block of a command's help."""
    if block.kind == "usage":
        return synopsis(block.forms)
    if block.kind == "prose":
        return prose(block.lines)
    if block.kind == "list":
        return label(block.heading) + entries([(markup(e.term), e.text) for e in block.entries])
    if block.kind == "exit":
        return label("Exit status") + exit_codes(block)
    return label("Examples") + examples(block)


def is_dialog_tool(command):
    usage = help_text.first(command.blocks, "usage")
    return usage.forms[0].startswith("quobrix TOOL ")


def dialog_tools(tools):
    """The tools' shared help once: each tool with its input, then the rest.

    A tool's prose says "Runs NAME (SUMMARY) on ..." and its input; every
    other block must be the same for all of them."""
    shared = None
    listed = []
    for tool in tools:
        blocks = [b for b in tool.blocks if not (b.kind == "list" and b.heading.startswith(tool.group))]
        runs = next(b for b in blocks if b.kind == "prose")
        sentence, *input_lines = runs.lines
        named = "Runs %s (%s) " % (tool.name, tool.summary)
        if not sentence.startswith(named):
            raise SystemExit("%s --help does not start with %r" % (tool.name, named))
        listed.append(("\\fB%s\\fR" % tool.name, [tool.summary + "."] + input_lines))
        rest = [render(b) for b in blocks if b is not runs]
        common = (sentence.replace(named, "Runs TOOL "), rest)
        if shared is not None and common != shared:
            raise SystemExit("%s --help differs from the other dialog tools' help" % tool.name)
        shared = common
    sentence, rest = shared
    usage, rest = rest[0], [line for lines in rest[1:] for line in lines]
    return [".SS " + arg(tools[0].group)] + usage + prose([sentence]) + entries(listed) + rest


def command_section(command):
    out = [".SS " + arg(command.name)]
    for block in command.blocks:
        out += render(block)
    return out


def page(quobrix):
    version = help_text.run(quobrix, "--version").split()[-1]
    top, commands = help_text.read(quobrix)
    description = help_text.first(top, "prose").lines
    name = " ".join(description).rstrip(".")
    name = name[0].lower() + name[1:]
    out = ['.\\" Generated by tools/gen_manpage.py from the help texts of quobrix.',
           ".TH QUOBRIX 1 \"\" %s \"User Commands\"" % arg("quobrix " + version),
           # Ragged right, never hyphenated: names and options are typed as they stand.
           ".nh", ".ad l", ".nr HY 0",
           ".SH NAME", "quobrix \\- " + escape(name),
           ".SH SYNOPSIS"]
    out += synopsis(help_text.first(top, "usage").forms)
    for command in commands:
        if not is_dialog_tool(command):
            out += synopsis(help_text.first(command.blocks, "usage").forms)
    out += [".SH DESCRIPTION"] + prose(description)
    out += [".SH OPTIONS"]
    command_names = {c.name for c in commands}
    for block in top:
        if block.kind == "list" and block.entries[0].term not in command_names:
            out += render(block)
    out += [".SH COMMANDS"]
    for block in top:
        if block.kind == "list" and block.entries[0].term in command_names:
            out += label(block.heading)
            out += entries([("\\fB%s\\fR" % c.name, [c.summary]) for c in commands
                            if c.group == block.heading])
    tools = [c for c in commands if is_dialog_tool(c)]
    out += dialog_tools(tools)
    for command in commands:
        if command not in tools:
            out += command_section(command)
    out += [".SH \"EXIT STATUS\""] + exit_codes(help_text.first(top, "exit"))
    out += [".SH EXAMPLES"] + examples(help_text.first(top, "examples"))
    out += [".SH \"SEE ALSO\"", ".BR md5sum (1)"]
    return "\n".join(out) + "\n"


def main():
    if len(sys.argv) != 3:
        raise SystemExit("usage: gen_manpage.py QUOBRIX OUTPUT")
    text = page(sys.argv[1])
    with open(sys.argv[2], "w", encoding="ascii", newline="\n") as out:
        out.write(text)


if __name__ == "__main__":
    main()
