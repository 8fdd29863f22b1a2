#!/usr/bin/env python3
"""Makes quobrix.html: the page with its style, script, worker, the module's
glue and the module itself inside, so that the one file works when opened
from disk and asks for nothing else. The module goes in deflated (raw
DEFLATE, as the browser's DecompressionStream('deflate-raw') inflates it)
and then base64: a third of its size, which keeps the page within 1.5 MB.

Usage: build_page.py --html H --css C --js J --worker W --glue G --wasm M
                     --version V --output OUT
"""
import argparse
import base64
import os
import sys
import zlib


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def fit_for_script(name, text):
    """Text inside <script> ends at the first "</script": none may be there."""
    if "</script" in text.lower() or "<!--" in text:
        sys.exit("build_page: %s holds </script or <!--, which would end its <script> early" % name)
    return text


def main():
    parser = argparse.ArgumentParser()
    for option in ("html", "css", "js", "worker", "glue", "wasm", "version", "output"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()

    with open(args.wasm, "rb") as f:
        module = f.read()
    # Raw DEFLATE (negative window bits: no zlib header), at the most effort:
    # it is done once, at build time.
    deflater = zlib.compressobj(9, zlib.DEFLATED, -15, 9)
    deflated = deflater.compress(module) + deflater.flush()
    if zlib.decompress(deflated, -15) != module:
        sys.exit("build_page: the deflated module does not inflate to itself")
    wasm = base64.b64encode(deflated).decode("ascii")
    pieces = {
        "/*@CSS@*/": read(args.css),
        "/*@GLUE@*/": fit_for_script(args.glue, read(args.glue)),
        "/*@WORKER@*/": fit_for_script(args.worker, read(args.worker)),
        "@WASM@": wasm,
        "/*@JS@*/": fit_for_script(args.js, read(args.js)),
        "@VERSION@": args.version,
    }
    page = read(args.html)
    # Each mark once, and in one pass, so that nothing inserted is read as a mark.
    for mark in pieces:
        if page.count(mark) != 1:
            sys.exit("build_page: %s holds %s %d times, not once" % (args.html, mark, page.count(mark)))
    out, at = [], 0
    while True:
        found = [(page.find(mark, at), mark) for mark in pieces if page.find(mark, at) >= 0]
        if not found:
            break
        where, mark = min(found)
        out += [page[at:where], pieces[mark]]
        at = where + len(mark)
    out.append(page[at:])
    temporary = args.output + ".tmp"
    with open(temporary, "w", encoding="utf-8", newline="\n") as f:
        f.write("".join(out))
    os.replace(temporary, args.output)


if __name__ == "__main__":
    main()
