#!/usr/bin/env python3
"""One corpus through every face: each case of cases.json is run by quobrix
as a process, the reference, and by each face asked for:

  --window-face BIN   the workbench window's pages, in-process: the page
                      builds the words from the case's fields and runs them
                      as the page does (corpus_window_face)
  --dialog-face BIN   the dialog's tools, driven through the offscreen
                      backend as a user drives them (corpus_dialog_face)
  --page HTML         quobrix.html in a headless browser (--browser, one or
                      more of chromium and firefox), through the entry its
                      tabs use
  --wine-window CMD   the workbench window itself under Wine, each case that
                      names a page put through the page's controls by
                      tests/window/workbench_corpus_driver (CMD runs it in a
                      Wine session, all but its --cases and --out)

Any difference fails, naming the case and the face. What differs by a
face's nature is converted in one place, FaceView below, and nowhere else.

Usage: corpus_run.py QUOBRIX [--cases FILE] [faces...] [--only SUBSTRING]
Exit status: 0 every face agreed on every case it takes; 1 a difference;
2 a face or the corpus could not be run.
"""
import argparse
import json
import os
import shlex
import pathlib
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
sys.dont_write_bytecode = True
sys.path.insert(0, str(HERE))

CLI_PREFIX = b"quobrix: "
# Every face speaks English unless told otherwise; the program, whatever
# the locale of the shell that runs the corpus.
_LOCALE = ("LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG")
ENGLISH = {**{k: v for k, v in os.environ.items() if k not in _LOCALE}, "LC_ALL": "C"}
# The Wine session's Windows is Chinese, and the window speaks as its user's
# Windows does: its reference is the program under a Chinese locale.
CHINESE = {**{k: v for k, v in os.environ.items() if k not in _LOCALE}, "LANG": "zh_CN.UTF-8"}


def stdin_of(case):
    if "stdin_hex" in case:
        return bytes.fromhex(case["stdin_hex"])
    return case.get("stdin", "").encode("utf-8")


class CaseFolder:
    """A temporary folder holding the case's file, the working directory of
    every face that reads it."""

    def __init__(self, case):
        self.case = case

    def __enter__(self):
        self.temp = tempfile.TemporaryDirectory(prefix="quobrix-corpus-")
        file = self.case.get("file")
        if file:
            pathlib.Path(self.temp.name, file["name"]).write_bytes(bytes.fromhex(file["hex"]))
        return self.temp.name

    def __exit__(self, *exc):
        self.temp.cleanup()


def run_cli(quobrix, case, env=None):
    with CaseFolder(case) as folder:
        done = subprocess.run([quobrix, *case["words"]], input=stdin_of(case), capture_output=True, cwd=folder,
                              env=env or ENGLISH, timeout=120)
    return {"status": done.returncode, "out": done.stdout, "err": done.stderr}


# ---- The faces' nature, converted here alone --------------------------------


class FaceView:
    """What the reference's answer looks like in each face.

    - page: the module is the command line's own code; nothing differs.
    - window: a page shows the messages without the program's name before
      each line ("quobrix: "), since the window is not a program run from a
      shell; the text and the exit status are the command's.
    - dialog: the dialog writes its report in GBK and shows each message in
      a box; the command line writes UTF-8, prints each box's text on
      standard error behind "quobrix: " and exits 1 when a box was shown. The
      command line's warning that a text ends at a zero byte is its own
      (the dialog just stops there), as is its warning that bytes of a
      result had no GBK form; neither is the dialog's to show.
    """

    @staticmethod
    def window(reference):
        err = b"".join(line[len(CLI_PREFIX):] if line.startswith(CLI_PREFIX) else line
                       for line in reference["err"].splitlines(keepends=True))
        return {"status": reference["status"], "out": reference["out"], "err": err}

    @staticmethod
    def crlf(data):
        return data.replace(b"\n", b"\r\n")

    @staticmethod
    def hex_lines(data):
        """Bytes as a page shows them: "%02X " apart, 16 to a line."""
        return b"".join(data[i:i + 16].hex(" ").upper().encode() + b"\n" for i in range(0, len(data), 16))

    @staticmethod
    def wine_window(case, reference, plain_reference):
        """What the real window's page shows for the reference's answer. Its
        boxes end lines in CR LF. A run that succeeded shows its output (the
        bytes of C text read back as hex lines) and no message; one that
        failed shows no output and the first line of its messages, without
        "quobrix: " (失败 when there was none). The Printf page runs the
        words without --explain for its text and shows --explain's table,
        which follows the text on a line of its own, in a box apart;
        `plain_reference` is that run without --explain."""
        form = case["window"]
        if reference["status"] != 0:
            first = reference["err"].split(b"\n")[0]
            first = first[len(CLI_PREFIX):] if first.startswith(CLI_PREFIX) else first
            shown = {"out": b"", "messages": first or "失败".encode()}
            if form["page"] == "printf":
                shown["table"] = b""
            return shown
        out = reference["out"]
        if form["page"] == "array" and form["job"] == "to-bytes":
            out = FaceView.hex_lines(out)
        shown = {"out": FaceView.crlf(out), "messages": b""}
        if form["page"] == "printf":
            text = plain_reference["out"]
            table = out[len(text) + (0 if text.endswith(b"\n") or not text else 1):] if form["job"] == "explain" else None
            shown["out"] = FaceView.crlf(text)
            if table is not None:
                shown["table"] = FaceView.crlf(table)
        return shown

    @staticmethod
    def cp936(data):
        """GBK bytes as Windows' code page 936 reads them, in UTF-8: Python's
        gbk codec, and GB 18030 for the user-defined areas (private use, as
        in code page 936), with code page 936's two single bytes Python's
        codec lacks (80 the euro sign, FF U+F8F5); a byte that is no text is
        U+FFFD."""
        text, i = [], 0
        single = {0x80: "\u20ac", 0xFF: "\uf8f5"}
        while i < len(data):
            byte = data[i]
            if byte < 0x80:
                text.append(chr(byte))
                i += 1
                continue
            if byte in single:
                text.append(single[byte])
                i += 1
                continue
            pair, decoded = data[i:i + 2], None
            for codec in ("gbk", "gb18030") if len(pair) == 2 else ():
                try:
                    decoded = pair.decode(codec)
                    break
                except UnicodeDecodeError:
                    continue
            text.append("\ufffd" if decoded is None else decoded)
            i += 1 if decoded is None else 2
        return "".join(text).encode("utf-8")

    @staticmethod
    def dialog_as_cli(face):
        out = FaceView.cp936(bytes.fromhex(face["output_hex"]))
        messages = [FaceView.cp936(bytes.fromhex(m)) for m in face["messages_hex"]]
        err = b"".join(CLI_PREFIX + m + b"\n" for m in messages)
        return {"status": 1 if messages else 0, "out": b"" if messages else out, "err": err}

    @staticmethod
    def dialog_reference(reference):
        own = (CLI_PREFIX + b"warning: the text ends at the zero byte", CLI_PREFIX + b"warning: ")
        err = b"".join(line for line in reference["err"].splitlines(keepends=True)
                       if not (line.startswith(own[0]) or (line.startswith(own[1]) and b"not GBK text" in line)))
        return {"status": reference["status"], "out": reference["out"], "err": err}


# ---- The faces ---------------------------------------------------------------


def run_json(command, cwd):
    done = subprocess.run(command, capture_output=True, cwd=cwd, timeout=120)
    if done.returncode != 0:
        raise FaceError("%s exited %d: %s" % (os.path.basename(command[0]), done.returncode,
                                              done.stderr.decode("utf-8", "replace").strip()))
    return json.loads(done.stdout)


class FaceError(Exception):
    pass


def window_face(binary, case):
    form = case["window"]
    fields = ["%s=%s" % (key, value) for key, value in form["fields"].items()]
    with CaseFolder(case) as folder:
        answer = run_json([binary, form["page"], form["job"], *fields], folder)
    if answer.get("cut"):
        raise FaceError("the page cut the output short")
    return answer["words"], {"status": answer["status"], "out": bytes.fromhex(answer["out_hex"]),
                             "err": bytes.fromhex(answer["err_hex"])}


def dialog_face(binary, case):
    form = case["dialog"]
    text = form["text"].encode("gbk")
    answer = run_json([binary, form["tool"], form["format"], "1" if form["low_first"] else "0", text.hex()], None)
    return FaceView.dialog_as_cli(answer)


# ---- Comparing ---------------------------------------------------------------


def first_difference(a, b):
    for i, (x, y) in enumerate(zip(a, b)):
        if x != y:
            return i
    return min(len(a), len(b))


def differences(expected, got):
    """Each way `got` differs from `expected`, a line each."""
    lines = []
    if expected["status"] != got["status"]:
        lines.append("exit status %d, the program's %d" % (got["status"], expected["status"]))
    for stream in ("out", "err"):
        a, b = expected[stream], got[stream]
        if a != b:
            at = first_difference(a, b)
            lines.append("std%s differs at byte %d of %d (the program's %d): %r against the program's %r" % (
                stream, at, len(b), len(a), b[max(0, at - 20):at + 40], a[max(0, at - 20):at + 40]))
    return lines


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("quobrix")
    parser.add_argument("--cases", default=str(HERE / "cases.json"))
    parser.add_argument("--window-face")
    parser.add_argument("--dialog-face")
    parser.add_argument("--page")
    parser.add_argument("--browser", action="append", choices=["chromium", "firefox"])
    parser.add_argument("--wine-window")
    parser.add_argument("--only", default="")
    options = parser.parse_args()
    # The faces run in each case's folder: the programs are named from here.
    for name in ("quobrix", "window_face", "dialog_face", "page"):
        if getattr(options, name):
            setattr(options, name, os.path.abspath(getattr(options, name)))

    cases = [c for c in json.loads(pathlib.Path(options.cases).read_text("utf-8"))["cases"] if options.only in c["name"]]
    names = [c["name"] for c in cases]
    if len(set(names)) != len(names):
        print("corpus: a case's name is used twice", file=sys.stderr)
        return 2

    pages = []
    face_errors = (FaceError,)
    if options.page:
        from page_face import PageFace, PageFaceError
        face_errors += (PageFaceError,)
        for browser in options.browser or ["chromium"]:
            pages.append((browser, PageFace(options.page, browser)))

    failures = []
    counts = {}

    wine_answers = {}
    if options.wine_window:
        from wine_window_face import WineWindowError, run_sample
        try:
            with tempfile.TemporaryDirectory(prefix="quobrix-corpus-wine-") as folder:
                wine_answers = run_sample(shlex.split(options.wine_window), cases, folder)
        except WineWindowError as error:
            print("corpus: the window under Wine: %s" % error, file=sys.stderr)
            return 2

    def check(case, face, expected, got):
        counts[face] = counts.get(face, 0) + 1
        for line in differences(expected, got):
            failures.append("%s [%s]: %s" % (case["name"], face, line))

    def check_wine_window(case, shown):
        counts["window/wine"] = counts.get("window/wine", 0) + 1
        name = "%s [window/wine]" % case["name"]
        if "error" in shown:
            failures.append("%s: the page cannot take the case: %s" % (name, shown["error"]))
            return
        words = case["words"]
        reference = run_cli(options.quobrix, case, CHINESE)
        plain = reference
        if case["window"]["page"] == "printf" and "--explain" in words:
            # The page shows the command of its text; the table is its own.
            words = [w for i, w in enumerate(words) if not (w == "--explain" and "--" not in words[:i])]
            plain = run_cli(options.quobrix, dict(case, words=words), CHINESE)
        said = shlex.split(shown["command"])
        if said != ["quobrix", *words]:
            failures.append("%s: the page's command line reads back as %s" % (name, json.dumps(said, ensure_ascii=False)))
        expected = FaceView.wine_window(case, reference, plain)
        for box, data in expected.items():
            if shown.get(box) != data:
                got = shown.get(box, b"")
                at = first_difference(data, got)
                failures.append("%s: its %s box differs at byte %d: %r against %r" % (
                    name, box, at, got[max(0, at - 20):at + 40], data[max(0, at - 20):at + 40]))

    try:
        for case in cases:
            takes = [case.get("page", True) and pages, options.window_face and "window" in case,
                     options.dialog_face and "dialog" in case]
            # The English reference, for the faces that speak English.
            reference = run_cli(options.quobrix, case) if any(takes) else None
            if options.window_face and "window" in case:
                words, got = window_face(options.window_face, case)
                if words != case["words"]:
                    failures.append("%s [window]: the page builds %s, not the case's words" % (
                        case["name"], json.dumps(words, ensure_ascii=False)))
                check(case, "window", FaceView.window(reference), got)
            if options.dialog_face and "dialog" in case:
                check(case, "dialog", FaceView.dialog_reference(reference), dialog_face(options.dialog_face, case))
            if case["name"] in wine_answers:
                check_wine_window(case, wine_answers[case["name"]])
            if case.get("page", True):
                for browser, page in pages:
                    check(case, "page/" + browser, reference, page.run(case))
    except face_errors as error:
        print("corpus: %s: %s" % (case["name"], error), file=sys.stderr)
        return 2
    finally:
        for _, page in pages:
            page.close()

    for line in failures:
        print(line)
    print("%d cases; %s; %d differences" % (
        len(cases), ", ".join("%s %d" % kv for kv in sorted(counts.items())) or "no face but the program",
        len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
