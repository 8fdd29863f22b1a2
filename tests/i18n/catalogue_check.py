#!/usr/bin/env python3
"""The message catalogues against GNU gettext's own tools, and the program's
choice of language against glibc's.

- msgfmt --check finds each catalogue well formed, every translation with
  the arguments of its msgid;
- xgettext finds in the sources exactly the messages the Chinese catalogue
  translates: none missing, none left over;
- the table the build compiles (make_catalogue.py) holds what msgfmt's .mo
  holds, as Python's gettext reads it;
- quobrix speaks Chinese under exactly the locale variables under which
  glibc's gettext(1) finds the Chinese catalogue (where the zh_CN.UTF-8
  locale is installed; glibc needs it).

Usage: catalogue_check.py SOURCE_ROOT QUOBRIX
"""
import gettext
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = None
QUOBRIX = None
# A note find writes on frames of one byte value, to tell the languages apart.
ZEROS = ["find", "00 00 00 00 00 00 00 00"]
ZEROS_NOTE = ("these frames are all %1$s: they carry no evidence (any check of a run of one byte holds on it for "
              "the run's sake); frames of varied data would decide")


def po_files():
    return sorted((ROOT / "i18n" / "po").glob("*.po"))


def sources():
    lines = (ROOT / "i18n" / "po" / "POTFILES").read_text().splitlines()
    return [line for line in lines if line and not line.startswith("#")]


def compiled_mo(po, folder):
    mo = pathlib.Path(folder) / (po.stem + ".mo")
    subprocess.run(["msgfmt", "--check", "-o", str(mo), str(po)], check=True, capture_output=True)
    return mo


class Catalogues(unittest.TestCase):
    def test_each_catalogue_is_well_formed(self):
        self.assertTrue(po_files())
        for po in po_files():
            done = subprocess.run(["msgfmt", "--check", "-o", os.devnull, str(po)], capture_output=True, text=True)
            self.assertEqual(done.returncode, 0, "%s: %s" % (po.name, done.stderr))
            self.assertNotIn("fuzzy", subprocess.run(["msgfmt", "--statistics", "-o", os.devnull, str(po)],
                                                     capture_output=True, text=True).stderr, po.name)

    def test_chinese_translates_every_message_of_the_sources_and_no_other(self):
        with tempfile.TemporaryDirectory() as folder:
            pot = pathlib.Path(folder) / "all.pot"
            subprocess.run(["xgettext", "--from-code=UTF-8", "--language=C++", "-k", "-kTr", "-kTrN:1,2",
                            "-o", str(pot), *sources()], cwd=ROOT, check=True)
            # msgcmp: every msgid of the template translated in the catalogue.
            done = subprocess.run(["msgcmp", str(ROOT / "i18n/po/zh_CN.po"), str(pot)], capture_output=True, text=True)
            self.assertEqual(done.returncode, 0, done.stderr)
            with open(compiled_mo(ROOT / "i18n/po/zh_CN.po", folder), "rb") as f:
                translated = {k for k in gettext.GNUTranslations(f)._catalog if k}
            subprocess.run(["msgfmt", "-o", str(pathlib.Path(folder) / "pot.mo"), str(pot)], check=True)
            extracted = set()
            for line in subprocess.run(["msgcat", "--no-wrap", str(pot)], capture_output=True, text=True,
                                       check=True).stdout.splitlines():
                if line.startswith('msgid "') and line != 'msgid ""':
                    extracted.add(line[7:-1].encode().decode("unicode_escape").encode("latin-1").decode("utf-8"))
            keys = {k[0] if isinstance(k, tuple) else k for k in translated}
            self.assertEqual(keys - extracted, set(), "translated, but no longer in the sources")

    def test_the_compiled_table_holds_what_msgfmt_compiles(self):
        sys.path.insert(0, str(ROOT / "i18n"))
        import make_catalogue
        po = ROOT / "i18n/po/zh_CN.po"
        ours = {}
        for msgid, forms, fuzzy in make_catalogue.entries(po.read_text("utf-8").splitlines(), str(po)):
            if msgid and not fuzzy and forms and forms[0]:
                ours[msgid.decode("utf-8")] = forms[0].decode("utf-8")
        with tempfile.TemporaryDirectory() as folder:
            with open(compiled_mo(po, folder), "rb") as f:
                catalog = gettext.GNUTranslations(f)._catalog
        theirs = {}
        for key, value in catalog.items():
            msgid = key[0] if isinstance(key, tuple) else key
            if msgid and (not isinstance(key, tuple) or key[1] == 0):
                theirs[msgid] = value
        self.assertEqual(ours, theirs)


def zh_locale_installed():
    locales = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.lower().split()
    return "zh_cn.utf8" in locales


class ChoiceOfLanguage(unittest.TestCase):
    @unittest.skipUnless(shutil.which("gettext") and zh_locale_installed(), "glibc's gettext or zh_CN.UTF-8 missing")
    def test_chinese_exactly_where_glibc_finds_the_chinese_catalogue(self):
        combinations = [
            {}, {"LANG": "zh_CN.UTF-8"}, {"LC_ALL": "C", "LANG": "zh_CN.UTF-8"},
            {"LC_ALL": "C", "LANGUAGE": "zh_CN"}, {"LANG": "C.UTF-8", "LANGUAGE": "zh_CN"},
            {"LC_MESSAGES": "zh_CN.UTF-8"}, {"LC_ALL": "zh_CN.UTF-8", "LANGUAGE": "en"},
            {"LC_ALL": "zh_CN.UTF-8", "LANGUAGE": "fr:zh_CN"}, {"LANG": "zh_CN.UTF-8", "LANGUAGE": "fr"},
            {"LC_ALL": "", "LANG": "zh_CN.UTF-8"}, {"LC_ALL": "C.UTF-8", "LC_MESSAGES": "zh_CN.UTF-8"},
        ]
        with tempfile.TemporaryDirectory() as folder:
            messages = pathlib.Path(folder) / "zh_CN" / "LC_MESSAGES"
            messages.mkdir(parents=True)
            subprocess.run(["msgfmt", "-o", str(messages / "quobrix.mo"), str(ROOT / "i18n/po/zh_CN.po")], check=True)
            for variables in combinations:
                env = {"PATH": os.environ["PATH"], "TEXTDOMAINDIR": folder, **variables}
                glibc = subprocess.run(["gettext", "-d", "quobrix", ZEROS_NOTE], env=env, capture_output=True,
                                       text=True).stdout
                ours = subprocess.run([QUOBRIX, *ZEROS], env=env, capture_output=True).stderr.decode("utf-8")
                glibc_chinese = glibc != ZEROS_NOTE
                self.assertEqual("全是" in ours, glibc_chinese, "%s: %s" % (variables, ours))


class CommandsInChinese(unittest.TestCase):
    def run_find(self, words, **variables):
        env = {"PATH": os.environ["PATH"], **variables}
        return subprocess.run([QUOBRIX, *words], env=env, capture_output=True)

    def assert_only_messages_translated(self, words):
        """Under a Chinese locale every message on standard error is Chinese
        (apart from the names it quotes), and the exit status and the answer
        on standard output are the English run's."""
        english = self.run_find(words, LC_ALL="C")
        chinese = self.run_find(words, LANG="zh_CN.UTF-8")
        self.assertEqual(chinese.returncode, english.returncode, words)
        self.assertEqual(chinese.stdout, english.stdout, words)
        lines = chinese.stderr.decode("utf-8").splitlines()
        self.assertEqual(len(lines), len(english.stderr.splitlines()), words)
        self.assertTrue(lines, words)
        for line in lines:
            self.assertTrue(line.startswith("quobrix: "), "%s: %s" % (words, line))
            self.assertRegex(line.removeprefix("quobrix: "), "[\u4e00-\u9fff]", "%s: %s" % (words, line))
        return english, chinese

    def test_the_seven_tools_errors_keep_their_numbers_in_chinese(self):
        # Each translation places every argument: the numbers the English
        # message names are the Chinese one's.
        cases = [["array", "--reverse", "--text", "{1,\n 2 x}"], ["array", "--reverse", "--text", "{256}"],
                 ["array", "--name", "1x", "--text", "a"], ["array", "--type", "u64", "--text", "a"],
                 ["random", "--count", "7", "--range", "1..6", "--unique"], ["random", "--range", "1..x"],
                 ["random", "--float", "1..1"], ["parts", "divider", "3.3", "12"], ["parts", "code", "r", "98A"],
                 ["parts", "4.7x"], ["filter", "rc", "--lowpass", "1m"], ["filter", "rc", "--r", "1k", "--c", ""],
                 ["printf", "%d %d", "1"], ["printf", "%d", "1", "2"], ["printf", "%hhd", "abc"],
                 ["printf", "%q"], ["printf", "%n"]]
        for words in cases:
            english, chinese = self.assert_only_messages_translated(words)
            numbers = lambda text: sorted(re.findall(r"\d+", text))
            self.assertEqual(numbers(chinese.stderr.decode("utf-8")), numbers(english.stderr.decode("utf-8")),
                             "%s: %s" % (words, chinese.stderr.decode("utf-8")))

    def test_notes_follow_the_locale_and_the_answer_does_not(self):
        frames = ["01 03 00 00 00 0A C5 CD", "01 06 00 01 00 03 98 0B", "11 03 00 6B 00 03 76 87"]
        english = self.run_find(["find", *frames], LC_ALL="C")
        chinese = self.run_find(["find", *frames], LANG="zh_CN.UTF-8")
        self.assertEqual((english.returncode, chinese.returncode), (0, 0))
        # The answer is for scripts: the same words in every language.
        self.assertEqual(english.stdout, chinese.stdout)
        self.assertIn(b"CRC-16/MODBUS le head=0 tail=0", chinese.stdout)
        self.assertIn("the first line holds on 3 frames; chance it is luck", english.stderr.decode())
        self.assertIn("第一行在 3 帧上成立；纯属巧合的概率为", chinese.stderr.decode("utf-8"))
        # The chance is the same number in both.
        self.assertEqual(english.stderr.split()[-1], chinese.stderr.split("为 ".encode())[-1].split()[0])

    def test_every_note_of_a_failed_search_is_chinese(self):
        cases = [["find", "00 00 00 00 00 00 00 00"], ["find", "0102030405", "0102030405"],
                 ["find", "01 22 03 44 05", "16 07 38 09 5A", "--no-search"], ["find", "01", "03", "00"]]
        for words in cases:
            done = self.run_find(words, LANG="zh_CN.UTF-8")
            self.assertEqual(done.returncode, 1, words)
            for line in done.stderr.decode("utf-8").splitlines():
                body = line.removeprefix("quobrix: ")
                # Every note is Chinese apart from the names it quotes.
                self.assertRegex(body, "[\u4e00-\u9fff]", "%s: %s" % (words, line))

    def test_errors_of_crc_frame_and_num_are_chinese(self):
        cases = [
            # An unknown model: the line naming it, the nearest names, the way to the list.
            ["crc", "CRC-16/MODBUSS", "--text", "1"],
            # Parameters of one's own, judged here and by the library.
            ["crc", "--width", "83", "--poly", "1", "--text", "1"],
            ["crc", "--width", "16", "--poly", "0x1g021", "--text", "1"],
            ["crc", "width=16 poly=0x8005 init=0 refin=true refout=true xorout=0 check=0x1234", "--text", "1"],
            ["crc", "CRC-16/MODBUS", "--text", "中😀", "--gbk"],
            ["crc", "CRC-16/MODBUS", "--hex", "zz"],
            # Hex arguments, as every command reads them.
            ["num", "01 02 03"],
            ["num", "01 0G"],
            ["num", "--type", "int16", "--order", "ABC", "01 02"],
            ["num", "--type", "int16", "--order", "BA", "--from", "70000"],
            ["frame", "XOR-88", "01 02"],
            ["frame", "CRC-16/MODBUS head=2", "01 02"],
            ["frame", "LRC", "01 02"],
            ["frame", "CRC-16/MODBUS be", "--order", "le", "01 02"],
            ["frame", "XOR-8 tail=x", "01 02"],
            ["frame", "--text", "CRC-16/MODBUS text hex2", "$AB"],
            ["frame", "--text", "XOR-8 text from=$ to=*", "AB"],
        ]
        for words in cases:
            english, _ = self.assert_only_messages_translated(words)
            self.assertEqual(english.returncode, 2, words)

    def test_the_meanings_of_ccitt_are_offered_in_chinese_and_listed_as_they_are(self):
        words = ["crc", "CCITT", "--text", "1"]
        english = self.run_find(words, LC_ALL="C")
        chinese = self.run_find(words, LANG="zh_CN.UTF-8")
        self.assertEqual((chinese.returncode, chinese.stdout), (english.returncode, english.stdout))
        first, *choices = chinese.stderr.decode("utf-8").splitlines()
        self.assertIn("三种不同的 CRC", first)
        # The choices are catalogue lines: names and parameters in every language.
        self.assertEqual(choices, english.stderr.decode().splitlines()[1:])
        self.assertEqual(len(choices), 3)

    def test_a_former_name_is_noted_in_chinese_and_the_crc_is_the_same(self):
        english, chinese = self.assert_only_messages_translated(["crc", "CRC-4/ITU", "--text", "123456789"])
        self.assertEqual((english.returncode, english.stdout), (0, b"7\n"))
        self.assertIn("CRC-4/ITU 是 CRC-4/G-704 的旧名", chinese.stderr.decode("utf-8"))

    def test_a_verification_answers_in_english_whatever_the_locale(self):
        # What frame --verify prints is its answer, for scripts: it stays as
        # it is, and standard error stays empty.
        for words in (["frame", "CRC-16/MODBUS", "--order", "le", "--verify", "01 03 00 00 00 0A C5 CE"],
                      ["frame", "--verify", "--text", "XOR-8 text from=$ to=* hex2", "$AB*00"]):
            english = self.run_find(words, LC_ALL="C")
            chinese = self.run_find(words, LANG="zh_CN.UTF-8")
            self.assertEqual((chinese.returncode, chinese.stdout, chinese.stderr),
                             (english.returncode, english.stdout, b""), words)
            self.assertEqual(english.returncode, 1, words)


if __name__ == "__main__":
    ROOT = pathlib.Path(sys.argv.pop(1)).resolve()
    QUOBRIX = os.path.abspath(sys.argv.pop(1))
    unittest.main()
