"""Reads quobrix's help texts into their parts, for the manual page and the
bash completion, so both say what `--help` says.

A help text is blocks parted by blank lines:
  Usage: quobrix ...       the command's forms; a line that does not start
         quobrix ...       with "quobrix" carries on the form above it
  Exit status: 0 ...; 2 ...
  Examples:                "$ COMMAND" lines, each followed by what it prints
  Heading:                 a heading (maybe of several lines) over a list
    TERM        text       an entry: the term, two blanks or more, its text;
                more text  deeper lines carry on the entry's text
  Prose, where a line indented by two blanks is shown as it is.
"""
import re
import subprocess

ENTRY = re.compile(r"^  (\S(?:.*?\S)?)(?: {2,}(\S.*))?$")
EXIT_CODE = re.compile(r"(?:^|; )(\d+) ")


def run(quobrix, *args):
    return subprocess.run([quobrix, *args], check=True, capture_output=True, text=True).stdout


class Entry:
    def __init__(self, term, text):
        self.term = term
        self.text = [text] if text else []


class Block:
    """kind: usage (forms), prose (lines), list (heading, entries),
    exit (codes: [(code, text)], or none for prose in lines) or examples
    (examples: [(command, [printed lines])])."""

    def __init__(self, kind, **parts):
        self.kind = kind
        self.heading = ""
        self.lines = []
        self.__dict__.update(parts)


def indented(line):
    return line.startswith(" ")


def parse_usage(lines):
    forms = []
    for line in lines:
        words = line.removeprefix("Usage:").strip()
        if words.startswith("quobrix ") or not forms:
            forms.append(words)
        else:
            forms[-1] += " " + words
    return forms


def parse_entries(lines):
    entries = []
    for line in lines:
        match = ENTRY.match(line)
        if match:
            entries.append(Entry(match.group(1), match.group(2)))
        else:  # deeper: the entry's text goes on
            entries[-1].text.append(line.strip())
    return entries


def parse_exit(lines):
    text = " ".join(lines).removeprefix("Exit status:").strip()
    marks = list(EXIT_CODE.finditer(text))
    if not marks or marks[0].start() != 0:
        return Block("exit", lines=[text])
    codes = []
    for mark, following in zip(marks, marks[1:] + [None]):
        end = following.start() if following else len(text)
        codes.append((mark.group(1), text[mark.end():end].rstrip(".")))
    return Block("exit", codes=codes)


def parse_examples(lines):
    examples = []
    for line in lines[1:]:
        line = line.removeprefix("  ")
        if line.startswith("$ "):
            examples.append((line[2:], []))
        else:
            examples[-1][1].append(line)
    return Block("examples", examples=examples)


def parse_block(lines):
    if lines[0].startswith("Usage: "):
        count = 1
        while count < len(lines) and indented(lines[count]):
            count += 1
        blocks = [Block("usage", forms=parse_usage(lines[:count]))]
        return blocks + (parse_block(lines[count:]) if count < len(lines) else [])
    if lines[0].startswith("Exit status:"):
        return [parse_exit(lines)]
    if lines[0] == "Examples:":
        return [parse_examples(lines)]
    heading = 0
    while heading < len(lines) and not indented(lines[heading]):
        heading += 1
    if heading == len(lines) or (heading and not lines[heading - 1].endswith(":")):
        return [Block("prose", lines=lines)]
    return [Block("list", heading=" ".join(lines[:heading])[:-1],
                  entries=parse_entries(lines[heading:]))]


def parse(text):
    """The blocks of a help text, in order."""
    blocks = []
    for chunk in text.strip("\n").split("\n\n"):
        blocks += parse_block(chunk.split("\n"))
    return blocks


def first(blocks, kind):
    return next((block for block in blocks if block.kind == kind), None)


def option_words(term):
    """The option names of an entry's term: "--refin B" gives ["--refin"]."""
    return [word for word in term.split() if word.startswith("-") and word != "-"]


class Command:
    """One command of `quobrix --help`: its name, its group's heading, its
    summary there, and the blocks of `quobrix NAME --help`."""

    def __init__(self, name, group, summary, blocks):
        self.name = name
        self.group = group
        self.summary = summary
        self.blocks = blocks


def read(quobrix):
    """The top level's blocks and its commands, in the order --help lists them."""
    top = parse(run(quobrix, "--help"))
    commands = []
    for block in top:
        # A list whose terms are no options is a group of commands.
        if block.kind != "list" or not block.entries or option_words(block.entries[0].term):
            continue
        for entry in block.entries:
            summary = " ".join(entry.text)
            summary = re.sub(r"\s*\(quobrix \S+ --help\)$", "", summary)
            commands.append(Command(entry.term, block.heading, summary,
                                    parse(run(quobrix, entry.term, "--help"))))
    return top, commands
