#!/usr/bin/env python3
"""Compiles a gettext catalogue (.po) into the C++ table i18n/catalogue.h
declares, so that the program carries its translations without libintl.

What msgfmt leaves out is left out here: the header entry, entries marked
fuzzy, obsolete ones (#~) and untranslated ones. A plural entry is filed
under its msgid with its first form: the languages compiled so have one.

Usage: make_catalogue.py PO OUT.cpp SYMBOL
"""
import sys


def unquote(text, where):
    """A .po string's contents ("a\\nb") as bytes of UTF-8."""
    if len(text) < 2 or text[0] != '"' or text[-1] != '"':
        raise ValueError("%s: a string in quotes is expected" % where)
    body = text[1:-1]
    out = bytearray()
    i = 0
    escapes = {"n": "\n", "t": "\t", "r": "\r", '"': '"', "\\": "\\", "a": "\a", "b": "\b", "f": "\f", "v": "\v"}
    while i < len(body):
        c = body[i]
        if c == "\\":
            if i + 1 >= len(body) or body[i + 1] not in escapes:
                raise ValueError("%s: an escape that is none: %r" % (where, body[i:i + 2]))
            out += escapes[body[i + 1]].encode()
            i += 2
            continue
        out += c.encode("utf-8")
        i += 1
    return bytes(out)


def entries(lines, name):
    """(msgid, msgstr forms, fuzzy) of each entry, in the file's order."""
    entry, key, fuzzy = {}, None, False
    result = []

    def close():
        nonlocal entry, key, fuzzy
        if "msgid" in entry:
            result.append((entry["msgid"], [entry[k] for k in sorted(entry) if k.startswith("msgstr")], fuzzy))
        entry, key, fuzzy = {}, None, False

    for number, raw in enumerate(lines, 1):
        line = raw.strip()
        where = "%s:%d" % (name, number)
        if not line:  # blank lines part entries for the eye only, as msgfmt reads them
            continue
        elif line.startswith("#~"):
            continue
        elif line.startswith("#,"):
            if key is not None:
                close()
            fuzzy = "fuzzy" in [flag.strip() for flag in line[2:].split(",")]
        elif line.startswith("#"):
            if key is not None:
                close()
        elif line.startswith('"'):
            if key is None:
                raise ValueError("%s: a string that continues nothing" % where)
            entry[key] += unquote(line, where)
        else:
            word, _, rest = line.partition(" ")
            # An entry without comments starts at its msgctxt or msgid.
            if word in ("msgctxt", "msgid") and key is not None and key.startswith("msgstr"):
                close()
            if word not in ("msgid", "msgid_plural", "msgctxt") and not word.startswith("msgstr"):
                raise ValueError("%s: an unknown keyword %r" % (where, word))
            key = word
            entry[key] = unquote(rest.strip(), where)
    close()
    return result


def c_string(data):
    """Bytes as a C string literal: printable ASCII as it is, the rest in
    three octal digits, which no following character can lengthen."""
    out = []
    for byte in data:
        char = chr(byte)
        if char in '"\\':
            out.append("\\" + char)
        elif 0x20 <= byte < 0x7F and char != "?":  # no ??x trigraphs
            out.append(char)
        else:
            out.append("\\%03o" % byte)
    return '"' + "".join(out) + '"'


def main():
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    po, out, symbol = sys.argv[1:]
    with open(po, encoding="utf-8") as f:
        table = {}
        for msgid, forms, fuzzy in entries(f.read().splitlines(), po):
            if not msgid or fuzzy or not forms or not forms[0]:
                continue
            if msgid in table:
                raise SystemExit("%s: msgid %r twice" % (po, msgid))
            table[msgid] = forms[0]
    rows = ["    {%s,\n     %s}," % (c_string(k), c_string(table[k])) for k in sorted(table)]
    text = ("// Made by i18n/make_catalogue.py from %s: do not edit.\n"
            "#include \"i18n/catalogue.h\"\n\n"
            "namespace i18n {\n\n"
            "namespace {\n\n"
            "const CatalogueEntry kEntries[] = {\n%s\n    {nullptr, nullptr}};\n\n"
            "}  // namespace\n\n"
            "const Catalogue %s = {kEntries, %d};\n\n"
            "}  // namespace i18n\n") % (po.split("/")[-1], "\n".join(rows), symbol, len(rows))
    with open(out, "w", encoding="ascii") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
