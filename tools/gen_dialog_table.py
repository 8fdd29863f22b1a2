#!/usr/bin/env python3
"""Turns the dialogs and strings of the resource script into C++ data.

Usage: gen_dialog_table.py SCRIPT.rc RESOURCE.h OUT.cpp

The offscreen backend builds its windows from this table, so the resource
script stays the one place the dialogs are defined. The script is read as GBK
(code page 936); the texts are written back as GBK bytes in hex escapes.

Only the subset of the resource language the script uses is understood:
DIALOG/DIALOGEX with STYLE, EXSTYLE, CAPTION, FONT and CONTROL statements,
STRINGTABLE, and resources this table has no use for (ICON, VERSIONINFO,
RT_MANIFEST, LANGUAGE), which are skipped. Anything else stops the build with
an error, so a control written in another form cannot silently go missing.
"""
import re
import sys

from gen_texts import c_literal

# The Win32 constants the script may use, with their values from the
# platform's headers (winuser.h). Styles of the controls and dialogs, and the
# ids of the dialog manager's standard buttons.
WIN32_CONSTANTS = {
    "WS_POPUP": 0x80000000,
    "WS_CHILD": 0x40000000,
    "WS_MINIMIZE": 0x20000000,
    "WS_VISIBLE": 0x10000000,
    "WS_DISABLED": 0x08000000,
    "WS_CLIPSIBLINGS": 0x04000000,
    "WS_CLIPCHILDREN": 0x02000000,
    "WS_MAXIMIZE": 0x01000000,
    "WS_CAPTION": 0x00C00000,
    "WS_BORDER": 0x00800000,
    "WS_DLGFRAME": 0x00400000,
    "WS_VSCROLL": 0x00200000,
    "WS_HSCROLL": 0x00100000,
    "WS_SYSMENU": 0x00080000,
    "WS_THICKFRAME": 0x00040000,
    "WS_GROUP": 0x00020000,
    "WS_TABSTOP": 0x00010000,
    "WS_MINIMIZEBOX": 0x00020000,
    "WS_MAXIMIZEBOX": 0x00010000,
    "WS_EX_DLGMODALFRAME": 0x00000001,
    "WS_EX_TOPMOST": 0x00000008,
    "WS_EX_CLIENTEDGE": 0x00000200,
    "WS_EX_STATICEDGE": 0x00020000,
    "WS_EX_APPWINDOW": 0x00040000,
    "DS_ABSALIGN": 0x0001,
    "DS_SYSMODAL": 0x0002,
    "DS_LOCALEDIT": 0x0020,
    "DS_SETFONT": 0x0040,
    "DS_MODALFRAME": 0x0080,
    "DS_NOIDLEMSG": 0x0100,
    "DS_SETFOREGROUND": 0x0200,
    "DS_3DLOOK": 0x0004,
    "DS_FIXEDSYS": 0x0008,
    "DS_CENTER": 0x0800,
    "BS_PUSHBUTTON": 0x0000,
    "BS_DEFPUSHBUTTON": 0x0001,
    "BS_CHECKBOX": 0x0002,
    "BS_AUTOCHECKBOX": 0x0003,
    "BS_RADIOBUTTON": 0x0004,
    "BS_3STATE": 0x0005,
    "BS_AUTO3STATE": 0x0006,
    "BS_GROUPBOX": 0x0007,
    "BS_AUTORADIOBUTTON": 0x0009,
    "BS_LEFTTEXT": 0x0020,
    "BS_MULTILINE": 0x2000,
    "ES_LEFT": 0x0000,
    "ES_CENTER": 0x0001,
    "ES_RIGHT": 0x0002,
    "ES_MULTILINE": 0x0004,
    "ES_UPPERCASE": 0x0008,
    "ES_LOWERCASE": 0x0010,
    "ES_PASSWORD": 0x0020,
    "ES_AUTOVSCROLL": 0x0040,
    "ES_AUTOHSCROLL": 0x0080,
    "ES_NOHIDESEL": 0x0100,
    "ES_READONLY": 0x0800,
    "ES_WANTRETURN": 0x1000,
    "ES_NUMBER": 0x2000,
    "SS_LEFT": 0x0000,
    "SS_CENTER": 0x0001,
    "SS_RIGHT": 0x0002,
    "SS_ICON": 0x0003,
    "SS_NOPREFIX": 0x0080,
    "SS_SUNKEN": 0x1000,
    "IDOK": 1,
    "IDCANCEL": 2,
}

TOKEN = re.compile(
    r'\s*(?:(?P<string>"(?:[^"]|"")*")|(?P<number>-?(?:0[xX][0-9A-Fa-f]+|\d+)[lLuU]*)'
    r"|(?P<name>[A-Za-z_][A-Za-z0-9_]*)|(?P<punct>[,|()])|(?P<comment>//.*|/\*))"
)


class ScriptError(Exception):
    pass


def read_defines(header_path):
    """The numeric #defines of the resource header."""
    defines = {}
    number = r"(-?(?:0[xX][0-9A-Fa-f]+|\d+))"
    pattern = re.compile(r"^\s*#\s*define\s+([A-Za-z_]\w*)\s+\(?\s*" + number + r"\s*\)?\s*$")
    with open(header_path, encoding="ascii") as f:
        for line in f:
            m = pattern.match(line)
            if m:
                defines[m.group(1)] = int(m.group(2), 0)
    return defines


def tokenize_line(line, where):
    tokens, pos = [], 0
    line = line.rstrip()
    while pos < len(line):
        m = TOKEN.match(line, pos)
        if not m or m.end() == pos:
            raise ScriptError("%s: cannot read %r" % (where, line[pos:]))
        kind = m.lastgroup
        value = m.group(kind)
        if kind == "comment":
            if value == "/*":
                raise ScriptError("%s: write comments with //" % where)
            break
        if kind == "string":
            value = value[1:-1].replace('""', '"')
            if "\\" in value:
                raise ScriptError("%s: escapes in texts are not supported" % where)
        tokens.append((kind, value))
        pos = m.end()
    return tokens


class Script:
    def __init__(self, text, defines):
        self.defines = dict(WIN32_CONSTANTS)
        self.defines.update(defines)
        self.lines = []  # (line number, tokens), preprocessor lines dropped
        for number, line in enumerate(text.split("\n"), 1):
            if line.lstrip().startswith("#"):
                continue
            tokens = tokenize_line(line, "line %d" % number)
            if tokens:
                self.lines.append((number, tokens))
        self.index = 0

    def where(self):
        return "line %d" % self.lines[min(self.index, len(self.lines) - 1)][0]

    def next_line(self):
        if self.index >= len(self.lines):
            raise ScriptError("unexpected end of the script")
        _, tokens = self.lines[self.index]
        self.index += 1
        return tokens

    def value(self, token):
        kind, text = token
        if kind == "number":
            return int(text.rstrip("lLuU"), 0)
        if kind == "name":
            if text not in self.defines:
                raise ScriptError("%s: unknown name %s" % (self.where(), text))
            return self.defines[text]
        raise ScriptError("%s: expected a number, got %r" % (self.where(), text))

    def expression(self, tokens):
        """Value of `A | B | 0x10`: the only operator the script uses."""
        result = 0
        for i, token in enumerate(tokens):
            if i % 2:
                if token != ("punct", "|"):
                    raise ScriptError("%s: only | may join styles" % self.where())
            else:
                result |= self.value(token)
        return result


def split_arguments(tokens):
    """Splits a token list at its commas."""
    groups, current = [], []
    for token in tokens:
        if token == ("punct", ","):
            groups.append(current)
            current = []
        else:
            current.append(token)
    groups.append(current)
    return groups


def to_dword(value):
    return value & 0xFFFFFFFF


def parse_dialog(script, dialog_id, extended, rect_tokens):
    x, y, cx, cy = (script.expression(g) for g in split_arguments(rect_tokens))
    dialog = {
        "id": dialog_id, "extended": extended, "caption": "", "style": 0, "ex_style": 0,
        "rect": (x, y, cx, cy), "font": ("", 0), "controls": [],
    }
    while True:
        tokens = script.next_line()
        keyword = tokens[0][1]
        rest = tokens[1:]
        if keyword == "STYLE":
            dialog["style"] = to_dword(script.expression(rest))
        elif keyword == "EXSTYLE":
            dialog["ex_style"] = to_dword(script.expression(rest))
        elif keyword == "CAPTION":
            dialog["caption"] = rest[0][1]
        elif keyword == "FONT":
            args = split_arguments(rest)
            dialog["font"] = (args[1][0][1], script.expression(args[0]))
        elif keyword == "BEGIN":
            break
        else:
            raise ScriptError("%s: unsupported dialog statement %s" % (script.where(), keyword))
    while True:
        tokens = script.next_line()
        if tokens[0] == ("name", "END"):
            return dialog
        if tokens[0] != ("name", "CONTROL"):
            raise ScriptError("%s: write controls as CONTROL statements" % script.where())
        args = split_arguments(tokens[1:])
        if len(args) not in (8, 9):
            raise ScriptError("%s: CONTROL takes 8 or 9 arguments" % script.where())
        # An SS_ICON static names its icon by number; the table holds no text for it.
        text = args[0][0][1] if args[0][0][0] == "string" else ""
        dialog["controls"].append({
            "id": script.expression(args[1]),
            "class": args[2][0][1].lower(),
            "text": text,
            "style": to_dword(script.expression(args[3])),
            "ex_style": to_dword(script.expression(args[8])) if len(args) == 9 else 0,
            "rect": tuple(script.expression(a) for a in args[4:8]),
        })


def parse_string_table(script, strings):
    if script.next_line() != [("name", "BEGIN")]:
        raise ScriptError("%s: STRINGTABLE needs BEGIN" % script.where())
    while True:
        tokens = script.next_line()
        if tokens == [("name", "END")]:
            return
        if tokens[-1][0] != "string":
            raise ScriptError("%s: expected id and text" % script.where())
        ids = [t for t in tokens[:-1] if t != ("punct", ",")]
        strings.append((script.expression(ids), tokens[-1][1]))


def skip_block(script):
    """Skips a resource's statements up to its matching END."""
    depth = 0
    while True:
        tokens = script.next_line()
        if tokens == [("name", "BEGIN")]:
            depth += 1
        elif tokens == [("name", "END")]:
            depth -= 1
            if depth == 0:
                return


def parse(text, defines):
    script = Script(text, defines)
    dialogs, strings = [], []
    while script.index < len(script.lines):
        tokens = script.next_line()
        if tokens[0] == ("name", "LANGUAGE"):
            continue
        if tokens[0] == ("name", "STRINGTABLE"):
            parse_string_table(script, strings)
            continue
        if len(tokens) < 2 or tokens[1][0] != "name":
            raise ScriptError("%s: expected a resource" % script.where())
        kind = tokens[1][1]
        if kind in ("DIALOG", "DIALOGEX"):
            extended = kind == "DIALOGEX"
            dialogs.append(parse_dialog(script, script.value(tokens[0]), extended, tokens[2:]))
        elif kind in ("ICON", "RT_MANIFEST"):
            continue
        elif kind == "VERSIONINFO":
            skip_block(script)
        else:
            raise ScriptError("%s: unsupported resource %s" % (script.where(), kind))
    return dialogs, strings


def gbk_literal(text):
    return '"%s"' % c_literal(text.encode("gbk"))


def emit(dialogs, strings, script_name):
    out = [
        "// Generated by tools/gen_dialog_table.py from %s. Do not edit." % script_name,
        '#include "fw/dialog_template.h"',
        "",
        "namespace fw {",
        "namespace {",
        "",
    ]
    for d in dialogs:
        out.append("const ControlTemplate kControls%d[] = {" % d["id"])
        for c in d["controls"]:
            x, y, cx, cy = c["rect"]
            out.append("    {%d, %s, %s, 0x%08Xu, 0x%08Xu, %d, %d, %d, %d},  // %s" % (
                c["id"], gbk_literal(c["class"]), gbk_literal(c["text"]), c["style"],
                c["ex_style"], x, y, cx, cy, c["text"] or c["class"]))
        out.append("};")
        out.append("")
    out.append("const DialogTemplate kDialogs[] = {")
    for d in dialogs:
        x, y, cx, cy = d["rect"]
        face, points = d["font"]
        row = "    {%d, %s, %s, 0x%08Xu, 0x%08Xu, %d, %d, %d, %d, %s, %d, kControls%d, %d},  // %s"
        out.append(row % (
            d["id"], "true" if d["extended"] else "false", gbk_literal(d["caption"]), d["style"],
            d["ex_style"], x, y, cx, cy, gbk_literal(face), points, d["id"], len(d["controls"]),
            d["caption"]))
    out.append("};")
    out.append("")
    out.append("struct StringResource {")
    out.append("    UINT id;")
    out.append("    const char* text;")
    out.append("};")
    out.append("")
    out.append("const StringResource kStrings[] = {")
    for string_id, text in strings:
        out.append("    {%du, %s},  // %s" % (string_id, gbk_literal(text), text))
    out.append("};")
    out.append("")
    out.append("}  // namespace")
    out.append("")
    out.append("const DialogTemplate* FindDialogTemplate(int id) {")
    out.append("    for (const DialogTemplate& dialog : kDialogs)")
    out.append("        if (dialog.id == id) return &dialog;")
    out.append("    return nullptr;")
    out.append("}")
    out.append("")
    out.append("const char* FindStringResource(UINT id) {")
    out.append("    for (const StringResource& string : kStrings)")
    out.append("        if (string.id == id) return string.text;")
    out.append("    return nullptr;")
    out.append("}")
    out.append("")
    out.append("}  // namespace fw")
    return "\n".join(out) + "\n"


def main(script_path, header_path, target):
    with open(script_path, encoding="gbk") as f:
        text = f.read()
    try:
        dialogs, strings = parse(text, read_defines(header_path))
    except ScriptError as error:
        sys.exit("%s: %s" % (script_path, error))
    with open(target, "w", encoding="utf-8", newline="\n") as f:
        f.write(emit(dialogs, strings, script_path.replace("\\", "/").split("/")[-1]))


if __name__ == "__main__":
    main(*sys.argv[1:4])
