#!/usr/bin/env python3
"""Runs every example of quobrix's help texts and compares what it prints
with the lines the help shows below it, so no example goes stale.

An example is a line "  $ COMMAND" after "Examples:", followed by the lines
it prints, each indented by two blanks. COMMAND runs in a shell whose PATH
finds QUOBRIX as `quobrix`, in an empty folder; it must exit with 0 and print
those lines (a report's CR LF line ends show as line ends).

Usage: help_examples_test.py QUOBRIX
"""
import os
import re
import subprocess
import sys
import tempfile


def run(args, **options):
    return subprocess.run(args, capture_output=True, text=True, **options)


def examples(help_text):
    """(command, printed lines) of each example of a help text."""
    found = []
    lines = help_text.split("\n")
    if "Examples:" not in lines:
        return found
    for line in lines[lines.index("Examples:") + 1:]:
        if not line.startswith("  "):
            break
        if line.startswith("  $ "):
            found.append((line[4:], []))
        else:
            found[-1][1].append(line[2:])
    return found


def main():
    quobrix = os.path.abspath(sys.argv[1])
    top = run([quobrix, "--help"]).stdout
    commands = re.findall(r"^  ([a-z][a-z0-9]+) {2,}", top, re.M)
    failures = []
    tried = {}
    with tempfile.TemporaryDirectory() as folder:
        os.symlink(quobrix, os.path.join(folder, "quobrix"))
        env = dict(os.environ, PATH=folder + os.pathsep + os.environ["PATH"])
        for words in [[]] + [[command] for command in commands]:
            shown = examples(run([quobrix, *words, "--help"]).stdout)
            if not shown:
                failures.append("quobrix %s --help shows no example" % " ".join(words))
            for command, printed in shown:
                if command in tried:
                    continue
                result = run(["sh", "-c", command], cwd=folder, env=env)
                got = result.stdout.replace("\r\n", "\n").removesuffix("\n")
                tried[command] = printed
                if result.returncode != 0 or got != "\n".join(printed):
                    failures.append("$ %s\nexit %d, printed:\n%s\n(stderr: %s)\nthe help shows:\n%s" % (
                        command, result.returncode, got, result.stderr.strip(), "\n".join(printed)))
    for failure in failures:
        print(failure, file=sys.stderr)
    print("%d examples run, %d failed" % (len(tried), len(failures)))
    return 1 if failures or not tried else 0


if __name__ == "__main__":
    sys.exit(main())
