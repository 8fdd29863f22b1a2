#!/usr/bin/env python3
"""Checks that the layers of the source tree include each other one way only.

Layers point down: the code page library and the message catalogues (i18n)
include nothing of ours, and the dialog's layers (core, fw, res, ui) never
the catalogues: its texts are its own; the
dialog's tools (core) and the framework each build on the code page library
alone, so the core knows no window and the framework knows nothing of the
tools; the workbench's library builds on the core, its CRCs below its frames,
its numbers beside them; the link (ports, sockets, frames of a stream)
builds on the workbench's checks and knows no face; MODBUS's frames and
functions, master and simulated slave (modbus) build on the link, the CRCs
and the numbers, know no face, and the command line and the workbench window use them; the dialog uses the core and the framework, never the
workbench; the command line uses everything; the page's interface (web)
uses the library, the link's frames and checks and the command line but no
window, and nothing uses it;
the workbench window's pages (workbench_window/pages) use the library and
the command line's shared words but no window, and the window over them
(workbench_window) adds the framework and the resources, never the dialog;
nothing uses either. A folder may always include its
own headers. A layer is a folder, or a folder within one (workbench/crc): the
longest layer that an include's path starts with is the one it reaches.

Every #include of a header under one of our folders is checked, in the
quoted and the angle-bracket form, in every source file below each folder.

Usage: check_includes.py ROOT
Exit status: 0 every include points down, 1 one or more do not (each printed
as FILE:LINE), 2 no ROOT or one that holds none of the folders.
"""
import os
import re
import sys

# Folder -> the folders below it that it may include.
MAY_INCLUDE = {
    # Messages in the user's language: below every face, beside the code page.
    "i18n": set(),
    "codepage": set(),
    "core": {"codepage"},
    "workbench/crc": {"i18n", "codepage", "core"},
    "workbench/frames": {"i18n", "codepage", "core", "workbench/crc"},
    "workbench/numbers": {"i18n", "codepage", "core"},
    "workbench/c_array": {"i18n", "codepage", "core", "workbench/crc"},
    "workbench/random": {"i18n", "codepage", "core"},
    "workbench/parts": {"i18n", "codepage", "core"},
    "workbench/printf": {"i18n", "codepage", "core", "workbench/numbers"},
    # The link: ports, sockets, frames cut from a stream and checked. Below
    # the faces, beside the workbench, whose checks it uses.
    "link": {"i18n", "codepage", "core", "workbench/crc", "workbench/frames"},
    # MODBUS: frames, functions and their decoding, and the master and slave
    # that the link's streams carry them between.
    "modbus": {"i18n", "codepage", "core", "workbench/crc", "workbench/frames", "workbench/numbers", "link"},
    "fw": {"codepage"},
    "res": set(),
    "ui": {"codepage", "core", "fw", "res"},
    "cli": {"i18n", "codepage", "core", "workbench/crc", "workbench/frames", "workbench/numbers", "workbench/c_array",
            "workbench/random", "workbench/parts", "workbench/printf", "link", "modbus", "fw", "res", "ui"},
    "web": {"i18n", "codepage", "core", "workbench/crc", "workbench/frames", "workbench/numbers", "workbench/printf",
            "link", "cli"},
    "workbench_window/pages": {"i18n", "codepage", "core", "workbench/crc", "workbench/frames", "workbench/numbers",
                               "workbench/printf", "workbench/parts", "cli", "link", "modbus"},
    "workbench_window": {"i18n", "codepage", "core", "workbench/crc", "workbench/frames", "workbench/numbers", "cli",
                         "fw", "res", "workbench_window/pages", "link", "modbus"},
}
SOURCE_SUFFIXES = (".h", ".cpp", ".inc", ".rc")
INCLUDE = re.compile(r'^\s*#\s*include\s*["<]([^">]+)[">]')


def layer_of(path):
    """The layer a path inside the tree belongs to, or None."""
    parts = path.split("/")
    for depth in range(len(parts), 0, -1):
        folder = "/".join(parts[:depth])
        if folder in MAY_INCLUDE:
            return folder
    return None


def violations(root):
    for layer in sorted(MAY_INCLUDE):
        allowed = MAY_INCLUDE[layer] | {layer}
        for folder, _, files in os.walk(os.path.join(root, layer)):
            for name in sorted(files):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(folder, name)
                # A layer within this one (workbench_window/pages) is checked as itself.
                if layer_of(os.path.relpath(path, root).replace(os.sep, "/")) != layer:
                    continue
                # Latin-1 reads any byte: the resource script is GBK.
                with open(path, encoding="latin-1") as f:
                    for number, line in enumerate(f, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        target = layer_of(match.group(1))
                        if target is not None and target not in allowed:
                            yield "%s:%d: %s/ may not include %s (it may include: %s)" % (
                                os.path.relpath(path, root), number, layer, match.group(1),
                                ", ".join(f + "/" for f in sorted(allowed)))


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    root = argv[1]
    if not any(os.path.isdir(os.path.join(root, layer)) for layer in MAY_INCLUDE):
        print("check_includes: %s holds none of the folders %s" % (root, ", ".join(sorted(MAY_INCLUDE))),
              file=sys.stderr)
        return 2
    found = list(violations(root))
    for line in found:
        print(line, file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
