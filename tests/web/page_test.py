#!/usr/bin/env python3
"""The page in headless Chromium, opened from disk: each tool is driven
through the page's own controls and what it shows is compared with what the
command-line program prints for the same command, and with published check
values. After each test the browser's logs must show no request beyond the
page itself and its worker's Blob URL, and no console error.

Usage: page_test.py PAGE QUOBRIX [unittest arguments]
  PAGE     quobrix.html as scripts/package or the web preset makes it
  QUOBRIX  the native command-line program, the reference
"""
import binascii
import json
import os
import pathlib
import random
import re
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

import page_results
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select, WebDriverWait

PAGE = None
QUOBRIX = None
# The dialog's buttons, whose captions the page's list shows in Chinese.
RESOURCE_SCRIPT = pathlib.Path(__file__).resolve().parents[2] / "res" / "quobrix.rc"
WAIT_SECONDS = 20  # a bound on each wait, never a pause

MODBUS_FRAMES = ["01 03 00 00 00 0A C5 CD", "01 06 00 01 00 03 98 0B", "11 03 00 6B 00 03 76 87"]

# A serial port of the test's own, put in place before the page's script
# runs: its readable stream delivers what the test hands deliver(), its
# writable keeps every chunk written, and open() keeps the options.
FAKE_SERIAL = r"""
(() => {
  const written = [];
  let controller = null;
  const port = {
    readable: null, writable: null, options: null,
    async open(options) {
      this.options = options;
      this.readable = new ReadableStream({ start(c) { controller = c; } });
      this.writable = new WritableStream({ write(chunk) { written.push(Array.from(chunk)); } });
    },
    async close() { this.readable = null; this.writable = null; },
    getInfo() { return {}; },
  };
  const serial = { requestPort: async () => port, getPorts: async () => [port],
                   addEventListener() {}, removeEventListener() {} };
  Object.defineProperty(Navigator.prototype, 'serial', { get: () => serial, configurable: true });
  window.fakeSerial = { written, port, deliver: (...chunks) => chunks.forEach((c) => controller.enqueue(new Uint8Array(c))) };
})();
"""
# A browser without Web Serial, as Firefox is.
NO_SERIAL = "delete Navigator.prototype.serial;"
# The rows of the serial tab, each its cells' texts.
SERIAL_ROWS = ("return Array.from(document.querySelectorAll('#serial-rows tbody tr'),"
               " (r) => Array.from(r.cells, (c) => c.textContent));")


def crc16_modbus(data):
    """CRC-16/MODBUS bit by bit, as its definition reads; low byte first."""
    crc = 0xFFFF
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return bytes([crc & 0xFF, crc >> 8])


def cli(args, cwd=None, env=None):
    return page_results.cli(QUOBRIX, args, cwd, env)


def cli_bytes(args, cwd=None):
    """What the program prints, as bytes: output that need be no text."""
    done = subprocess.run([QUOBRIX] + args, capture_output=True, cwd=cwd, timeout=60, check=False)
    return done.returncode, done.stdout, done.stderr


def luminance(css_colour):
    """WCAG's relative luminance of an opaque "rgb(r, g, b)"."""
    assert css_colour.startswith("rgb("), css_colour
    channels = [int(c) / 255 for c in css_colour[4:-1].split(",")]
    linear = [c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4 for c in channels]
    return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]


def contrast(a, b):
    high, low = sorted((luminance(a), luminance(b)), reverse=True)
    return (high + 0.05) / (low + 0.05)


def start_browser(language="en-US"):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    profile = tempfile.mkdtemp(prefix="quobrix-page-test-")
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                     "--user-data-dir=" + profile, "--lang=" + language, "--window-size=1024,900",
                     "--no-first-run", "--no-default-browser-check", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync"):
        options.add_argument(argument)
    options.add_experimental_option("prefs", {"intl.accept_languages": language})
    options.set_capability("goog:loggingPrefs", {"performance": "ALL", "browser": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.url = pathlib.Path(PAGE).resolve().as_uri()
        cls.driver = start_browser()
        # The browser's own first tab (its new-tab page) loads before ours:
        # its requests are not the page's.
        cls.driver.get("about:blank")
        cls.driver.get_log("performance")
        cls.driver.get_log("browser")

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()

    def setUp(self):
        self.open(self.url)

    def tearDown(self):
        # Every request the tab made: the page's own file, and the worker's
        # script from a Blob URL; nothing else, of any scheme.
        requests = []
        for entry in self.driver.get_log("performance"):
            message = json.loads(entry["message"])["message"]
            if message["method"] == "Network.requestWillBeSent":
                requests.append(message["params"]["request"]["url"])
        others = [url for url in requests if url.split("#")[0] != self.url and not url.startswith("blob:")]
        self.assertEqual(others, [], "requests beyond the page")
        errors = [entry for entry in self.driver.get_log("browser") if entry["level"] == "SEVERE"]
        self.assertEqual(errors, [], "console errors")

    # ---- Driving the page ---------------------------------------------------

    def wait(self, condition, what):
        return WebDriverWait(self.driver, WAIT_SECONDS).until(lambda d: condition(), message=what)

    def open(self, url):
        self.driver.get("about:blank")
        self.driver.get(url)
        self.wait(lambda: self.driver.execute_script("return document.body.dataset.ready") == "true",
                  "the page is ready")

    def tab(self, tool):
        self.driver.find_element(By.ID, "tab-" + tool).click()

    def type_into(self, element_id, text):
        element = self.driver.find_element(By.ID, element_id)
        element.clear()
        element.send_keys(text)

    def shown(self, tool, words):
        """What the page shows once it shows the result of `quobrix WORDS`:
        exit status, standard output and error."""
        return page_results.shown(self.driver.execute_script, self.wait, tool, words)

    def assert_as_cli(self, tool, words, cwd=None):
        shown = self.shown(tool, words)
        self.assertEqual(shown, cli(words, cwd), "quobrix " + " ".join(words))
        return shown

    # ---- The tools ------------------------------------------------------------

    def test_crc_of_a_model_in_each_notation(self):
        self.tab("crc")
        Select(self.driver.find_element(By.ID, "crc-model")).select_by_value("CRC-16/MODBUS")
        self.type_into("crc-input", "123456789")
        words = ["crc", "CRC-16/MODBUS", "--text", "123456789"]
        self.assertEqual(self.assert_as_cli("crc", words)[1], "4B37\n")
        Select(self.driver.find_element(By.ID, "crc-bytes")).select_by_value("le")
        self.assertEqual(self.assert_as_cli("crc", words + ["--bytes", "le"])[1], "37 4B\n")
        Select(self.driver.find_element(By.ID, "crc-bytes")).select_by_value("be")
        self.assert_as_cli("crc", words + ["--bytes", "be"])

    def test_crc_of_every_model_and_hex_input(self):
        self.tab("crc")
        options = self.driver.execute_script(
            "return Array.from(document.getElementById('crc-model').options, o => o.value)")
        self.assertEqual(len(options), 113)
        self.driver.find_element(By.CSS_SELECTOR, "#crc-form input[value=hex]").click()
        self.type_into("crc-input", "31 32 33 34 35 36 37 38 39")
        listed = cli(["crc", "--list"])[1].splitlines()
        model_select = Select(self.driver.find_element(By.ID, "crc-model"))
        for name, line in zip(options, listed):
            model_select.select_by_value(name)
            _, out, _ = self.assert_as_cli("crc", ["crc", name, "--hex", "31 32 33 34 35 36 37 38 39"])
            # The catalogue's own check value, as --list gives it.
            self.assertIn(" check=0x%s " % out.strip().lower(), line.lower() + " ", name)

    def test_every_model_at_once(self):
        self.tab("crc")
        self.type_into("crc-input", "123456789")
        self.driver.find_element(By.ID, "crc-every").click()
        code, out, err = self.shown("crc", ["crc", "MODEL", "--text", "123456789"])
        self.assertEqual((code, err), (0, ""))
        rows = [line.split() for line in out.splitlines()]
        listed = cli(["crc", "--list"])[1].splitlines()
        self.assertEqual(len(rows), len(listed))
        for (name, crc), line in zip(rows, listed):
            self.assertEqual(crc + "\n", cli(["crc", name, "--text", "123456789"])[1], name)
            self.assertIn(" check=0x%s " % crc.lower(), line.lower() + " ", name)
            self.assertIn(" name=\"%s\"" % name.lower(), line.lower(), name)
        # A bad input says so once, as the command line does.
        self.driver.find_element(By.CSS_SELECTOR, "#crc-form input[value=hex]").click()
        self.type_into("crc-input", "zz")
        shown = self.shown("crc", ["crc", "MODEL", "--hex", "zz"])
        self.assertEqual(shown, cli(["crc", "CRC-3/GSM", "--hex", "zz"]))
        self.assertEqual(shown[0], 2)

    def test_custom_parameters_and_a_bad_name(self):
        self.tab("crc")
        self.type_into("crc-input", "123456789")
        line = "width=16 poly=0x1021 init=0xffff refin=false refout=false xorout=0x0000"
        self.type_into("crc-params", line)
        shown = self.assert_as_cli("crc", ["crc", line, "--text", "123456789"])
        self.assertEqual(shown[1], "29B1\n")  # CRC-16/IBM-3740's published check
        self.type_into("crc-params", "CRC-16/NOSUCH")
        shown = self.assert_as_cli("crc", ["crc", "CRC-16/NOSUCH", "--text", "123456789"])
        self.assertEqual(shown[0], 2)
        self.assertTrue(shown[2])

    def test_find_names_the_modbus_check(self):
        self.tab("find")
        self.type_into("find-frames", "\n".join(MODBUS_FRAMES))
        self.driver.find_element(By.ID, "find-run").click()
        shown = self.assert_as_cli("find", ["find", "--"] + MODBUS_FRAMES)
        self.assertEqual(shown[1], "CRC-16/MODBUS le head=0 tail=0\n")

    def test_find_notes_in_the_pages_language(self):
        # The page's 中文 speaks as the program does under a Chinese locale,
        # and English again as under LC_ALL=C; the answer is the same.
        self.tab("find")
        self.type_into("find-frames", "\n".join(MODBUS_FRAMES))
        words = ["find", "--"] + MODBUS_FRAMES
        self.driver.find_element(By.ID, "language").click()
        self.driver.find_element(By.ID, "find-run").click()
        self.assertEqual(self.shown("find", words), cli(words, env={"LANG": "zh_CN.UTF-8"}))
        self.assertIn("第一行在 3 帧上成立", self.shown("find", words)[2])
        self.driver.find_element(By.ID, "language").click()
        self.driver.find_element(By.ID, "find-run").click()
        self.wait(lambda: "the first line" in self.shown("find", words)[2], "the note in English")
        self.assertEqual(self.shown("find", words), cli(words))

    def test_frame_built_and_verified(self):
        self.tab("frame")
        self.type_into("frame-check", "CRC-16/MODBUS le head=0 tail=0")
        self.type_into("frame-data", "11 03 00 6B 00 03")
        shown = self.assert_as_cli("frame", ["frame", "CRC-16/MODBUS le head=0 tail=0", "--", "11 03 00 6B 00 03"])
        self.assertEqual(shown[1], "11 03 00 6B 00 03 76 87\n")
        self.driver.find_element(By.ID, "frame-verify").click()
        self.type_into("frame-data", "11 03 00 6B 00 03 76 88")
        shown = self.assert_as_cli(
            "frame", ["frame", "CRC-16/MODBUS le head=0 tail=0", "--verify", "--", "11 03 00 6B 00 03 76 88"])
        self.assertEqual(shown[0], 1)

    def test_num_in_every_byte_order(self):
        self.tab("num")
        self.type_into("num-input", "41 20 00 00")
        shown = self.assert_as_cli("num", ["num", "--", "41", "20", "00", "00"])
        rows = {line.split()[0]: line.split() for line in shown[1].splitlines()}
        self.assertEqual(rows["ABCD"][-1], "10")
        Select(self.driver.find_element(By.ID, "num-type")).select_by_value("float32")
        self.type_into("num-order", "ABCD")
        shown = self.assert_as_cli("num", ["num", "--type", "float32", "--order", "ABCD", "--", "41", "20", "00",
                                           "00"])
        self.assertEqual(shown[1], "10\n")

    def decode_in_page(self, frames, mode="", formats=""):
        """The MODBUS tab's controls set and its Decode button pressed."""
        self.tab("modbus")
        self.type_into("modbus-frames", "\n".join(frames))
        Select(self.driver.find_element(By.ID, "modbus-mode")).select_by_value(mode)
        self.type_into("modbus-as", formats)
        self.driver.find_element(By.ID, "modbus-run").click()

    def test_modbus_frames_decoded_as_the_program_decodes_them(self):
        """The request and response of the MODBUS Application Protocol
        V1.1b3's example of function 03, an exception response and a request
        whose CRC is off by one: the page prints what the program prints for
        the words it shows, a failed check makes the exit status 1, and the
        values read agree with the bytes as Python reads them."""
        request, response = bytes.fromhex("11 03 00 6B 00 03"), bytes.fromhex("11 03 06 AE 41 56 52 43 40")
        exception = bytes.fromhex("11 83 02")  # function 03 refused: illegal data address
        self.assertEqual(crc16_modbus(request), bytes.fromhex("76 87"))
        self.assertEqual(crc16_modbus(response), bytes.fromhex("49 AD"))
        corrupt = request + bytes.fromhex("76 88")
        frames = [" ".join("%02X" % b for b in frame) for frame in
                  (request + crc16_modbus(request), response + crc16_modbus(response),
                   exception + crc16_modbus(exception), corrupt)]
        # A capture's note is no frame.
        self.decode_in_page(frames[:2] + ["# the device refuses, then a byte goes wrong"] + frames[2:])
        code, out, err = self.assert_as_cli("modbus", ["modbus", "decode", "--"] + frames)
        self.assertEqual((code, err), (1, ""))
        blocks = re.split(r"(?<=\n)(?=frame \d+: )", out)
        self.assertEqual([block.splitlines()[0] for block in blocks],
                         ["frame %d: %s" % (n, frame) for n, frame in enumerate(frames, 1)])
        for value in struct.unpack(">3H", response[3:]):
            self.assertIn("0x%04X = %d\n" % (value, value), blocks[1])
        self.assertIn("ILLEGAL DATA ADDRESS", blocks[2].upper())
        self.assertIn("FAILED", blocks[3])
        # The framing chosen goes into the command, and the frames alone
        # all check.
        Select(self.driver.find_element(By.ID, "modbus-mode")).select_by_value("rtu")
        self.type_into("modbus-frames", "\n".join(frames[:3]))
        self.driver.find_element(By.ID, "modbus-run").click()
        self.assertEqual(self.assert_as_cli("modbus", ["modbus", "decode", "--mode", "rtu", "--"] + frames[:3])[0], 0)
        # A line that is no frame is a usage error, named by its place.
        self.type_into("modbus-frames", frames[0] + "\n11 0Z")
        self.driver.find_element(By.ID, "modbus-run").click()
        code, out, err = self.assert_as_cli("modbus", ["modbus", "decode", "--mode", "rtu", "--", frames[0], "11 0Z"])
        self.assertEqual((code, out), (2, ""))
        self.assertIn("FRAME 2", err)

    def test_modbus_registers_as_f32_and_the_link(self):
        """Two float32 read high word first: each number the page prints
        turns back, as Python's struct packs it, into the registers' bytes.
        An ASCII line decodes beside them; the link decodes it all again."""
        request = bytes.fromhex("01 03 00 00 00 04")
        registers = struct.pack(">ff", 10.0, 3.14159265)
        response = bytes([0x01, 0x03, len(registers)]) + registers
        # LRC of 11 03 00 6B 00 03: the two's complement of their sum.
        ascii_line = ":1103006B0003%02X" % (-sum(bytes.fromhex("1103006B0003")) & 0xFF)
        self.assertEqual(ascii_line, ":1103006B00037E")
        frames = [(frame + crc16_modbus(frame)).hex(" ").upper() for frame in (request, response)] + [ascii_line]
        self.decode_in_page(frames, formats="f32:abcd")
        words = ["modbus", "decode", "--as", "f32:abcd", "--"] + frames
        shown = self.assert_as_cli("modbus", words)
        self.assertEqual(shown[0], 0)
        numbers = [line.split() for line in shown[1].splitlines() if line.lstrip().startswith("f32 abcd")]
        self.assertEqual([(n[2], n[3]) for n in numbers], [("at", "0:"), ("at", "2:")])
        for number, offset in zip(numbers, (0, 4)):
            self.assertEqual(struct.pack(">f", float(number[4])), registers[offset:offset + 4], number)
        self.assertIn("LRC 0x7E ok", shown[1])
        self.open(self.driver.current_url)
        self.assertEqual(self.shown("modbus", words), shown)
        self.assertTrue(self.driver.find_element(By.ID, "panel-modbus").is_displayed())
        self.assertEqual(self.driver.find_element(By.ID, "modbus-as").get_attribute("value"), "f32:abcd")
        # Several formats, and each in Chinese as in English.
        self.type_into("modbus-as", "u32:cdab, f32:abcd")
        self.driver.find_element(By.ID, "language").click()
        self.assertEqual(self.driver.find_element(By.ID, "modbus-run").text, "解析")
        self.driver.find_element(By.ID, "modbus-as").send_keys(Keys.ENTER)
        self.assert_as_cli("modbus", ["modbus", "decode", "--as", "u32:cdab", "--as", "f32:abcd", "--"] + frames)

    def test_dialog_tools_print_the_program_reports(self):
        self.tab("tools")
        corpus = [("ascii", "123456789"), ("ascii", "abc中文xyz"), ("hex", "FF FF 01"), ("ascii", "0.1")]
        tool_select = Select(self.driver.find_element(By.ID, "tools-tool"))
        tools = [o.get_attribute("value") for o in tool_select.options]
        self.assertEqual(len(tools), 15)
        for kind, text in corpus:
            self.driver.find_element(By.CSS_SELECTOR, "#tools-form input[value=%s]" % kind).click()
            self.type_into("tools-input", text)
            for tool in tools:
                tool_select.select_by_value(tool)
                self.assert_as_cli("tools", [tool] + (["--hex"] if kind == "hex" else []) + ["--", text])

    def test_dialog_tools_listed_as_the_help_and_the_dialog_name_them(self):
        """The list holds the tools `quobrix --help` lists, in its order, each
        shown by its summary there; in Chinese by its button's caption in the
        dialog's resource script."""
        help_text = cli(["--help"])[1]
        group = help_text[help_text.index("The dialog's tools:\n"):].split("\n\n")[0].splitlines()[1:]
        expected = [line.split(None, 1) for line in group]
        with open(RESOURCE_SCRIPT, encoding="gbk") as f:
            script = f.read()
        self.tab("tools")
        shown = lambda: self.driver.execute_script(
            "return Array.from(document.getElementById('tools-tool').options, o => [o.value, o.textContent])")
        self.assertEqual(shown(), expected)
        self.assertEqual(len(expected), 15)
        self.driver.find_element(By.ID, "language").click()
        for (name, caption), (expected_name, _) in zip(shown(), expected):
            self.assertEqual(name, expected_name)
            self.assertIn('CONTROL "%s", IDC_BTN_%s,' % (caption, name.upper()), script)

    # ---- C array, parts, filter, printf and random --------------------------

    def downloaded(self, tool, folder):
        """The file `tool`'s Download button saves, as the browser writes it
        into `folder` (empty before): the page's own Blob and URL."""
        self.driver.execute_cdp_cmd("Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": folder})
        self.addCleanup(self.driver.execute_cdp_cmd, "Browser.setDownloadBehavior", {"behavior": "default"})
        name = self.driver.execute_script(
            "return document.querySelector(`.result[data-for='${arguments[0]}']`).download.name", tool)
        button = self.driver.find_element(By.ID, tool + "-download")
        # A large output's Blob is made after its result is shown.
        self.wait(button.is_enabled, "the download is ready")
        button.click()
        path = os.path.join(folder, name)
        # The browser writes a .crdownload first and renames it once whole.
        self.wait(lambda: os.path.exists(path), "the download of " + name)
        with open(path, "rb") as f:
            return name, f.read()

    def note(self, tool):
        return self.driver.find_element(By.ID, tool + "-note").text

    def test_array_of_text_and_hex_and_back(self):
        """The array the program writes, for text and for hex digits, each
        element read back by Python the bytes given; C text back to bytes;
        the command's own errors for an array of no whole elements and for
        a name C reserves."""
        self.tab("array")
        self.driver.find_element(By.CSS_SELECTOR, "#array-form input[name=source][value=text]").click()
        self.type_into("array-input", "Hello, world")
        self.type_into("array-name", "greeting")
        self.driver.find_element(By.ID, "array-run").click()
        code, out, err = self.assert_as_cli("array", ["array", "--name", "greeting", "--text", "Hello, world"])
        self.assertEqual((code, err), (0, ""))
        self.assertEqual(bytes(int(x, 16) for x in re.findall(r"0x([0-9a-f]{2})", out)), b"Hello, world")
        self.assertIn("const unsigned int greeting_len = 12;\n", out)
        # Hex digits as 16-bit elements, high byte first, with the CRC comment.
        self.driver.find_element(By.CSS_SELECTOR, "#array-form input[name=source][value=hex]").click()
        Select(self.driver.find_element(By.ID, "array-type")).select_by_value("u16be")
        self.driver.find_element(By.CSS_SELECTOR, "#array-form input[name=crc]").click()
        self.type_into("array-input", "12 34 AB CD 00 01")
        self.driver.find_element(By.ID, "array-run").click()
        words = ["array", "--name", "greeting", "--type", "u16be", "--crc", "--hex", "12 34 AB CD 00 01"]
        code, out, _ = self.assert_as_cli("array", words)
        elements = [int(x, 16) for x in re.findall(r"0x([0-9a-f]{4})\b", out)]
        self.assertEqual(struct.pack(">3H", *elements), bytes.fromhex("1234ABCD0001"))
        self.assertIn("0x%08X" % zlib.crc32(bytes.fromhex("1234ABCD0001")), out)
        # Three bytes are no whole number of 16-bit elements.
        self.type_into("array-input", "12 34 AB")
        self.driver.find_element(By.ID, "array-run").click()
        code, out, err = self.assert_as_cli("array", words[:-1] + ["12 34 AB"])
        self.assertEqual(code, 2)
        self.assertEqual(err.count("\n"), 1, err)
        self.assertEqual(self.driver.find_element(By.ID, "array-download").is_displayed(), False)
        self.type_into("array-name", "int")
        self.driver.find_element(By.ID, "array-run").click()
        self.assertEqual(self.assert_as_cli("array", ["array", "--name", "int"] + words[3:-1] + ["12 34 AB"])[0], 2)
        # Back to bytes: shown as hex, downloaded as the bytes themselves.
        Select(self.driver.find_element(By.ID, "array-direction")).select_by_value("reverse")
        Select(self.driver.find_element(By.ID, "array-type")).select_by_value("")
        self.driver.find_element(By.CSS_SELECTOR, "#array-form input[name=source][value=text]").click()
        self.type_into("array-input", "{ 0x48, 'i', 33, 012 }")
        self.driver.find_element(By.ID, "array-run").click()
        words = ["array", "--reverse", "--text", "{ 0x48, 'i', 33, 012 }"]
        self.assertEqual(self.shown("array", words), (0, "48 69 21 0A", ""))
        self.assertEqual(cli_bytes(words)[1], b"Hi!\n")
        with tempfile.TemporaryDirectory() as folder:
            self.assertEqual(self.downloaded("array", folder), ("data.bin", b"Hi!\n"))
        # A number the type cannot hold names its place, after the bytes
        # before it, as the program writes them.
        self.type_into("array-input", "{ 0x48, 0x100 }")
        self.driver.find_element(By.ID, "array-run").click()
        words = ["array", "--reverse", "--text", "{ 0x48, 0x100 }"]
        code, out, err = cli_bytes(words)
        self.assertEqual((code, out), (2, b"H"))
        self.assertEqual(self.shown("array", words), (2, "48", err.decode()))

    def test_array_of_a_file_downloaded_whole_and_read_back(self):
        """A file of a few hundred KiB: the page shows the text's first part
        and says so; the download is every byte `quobrix array FILE` prints,
        and its numbers are the file's bytes; the download, given back in
        the other direction, downloads the file itself."""
        self.tab("array")
        data = random.Random(11).randbytes(300 << 10 | 7)
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "fw-image.bin")
            with open(path, "wb") as f:
                f.write(data)
            self.driver.find_element(By.ID, "array-file").send_keys(path)
            words = ["array", "--", "fw-image.bin"]
            code, out, err = self.shown("array", words)
            native = cli_bytes(words, cwd=folder)
            self.assertEqual((native[0], native[2]), (0, b""))
            self.assertEqual((code, err), (0, ""))
            self.assertEqual(out, native[1][:256 << 10].decode("ascii"))
            self.assertLess(len(out), len(native[1]))
            self.assertIn("Download gives all of them", self.note("array"))
            with tempfile.TemporaryDirectory() as downloads:
                name, text = self.downloaded("array", downloads)
            self.assertEqual(name, "fw-image.bin.c")
            self.assertEqual(text, native[1])
            self.assertEqual(bytes(int(x, 16) for x in re.findall(rb"0x([0-9a-f]{2})", text)), data)
            self.assertIn(b"const unsigned int fw_image_bin_len = %d;\n" % len(data), text)
            back = os.path.join(folder, name)
            with open(back, "wb") as f:
                f.write(text)
            Select(self.driver.find_element(By.ID, "array-direction")).select_by_value("reverse")
            self.driver.execute_script("document.getElementById('array-file').value = ''")
            self.driver.find_element(By.ID, "array-file").send_keys(back)
            code, out, err = self.shown("array", ["array", "--reverse", "--", name])
            self.assertEqual((code, err), (0, ""))
            self.assertEqual(out, data[:256 << 10].hex(" ").upper())
            with tempfile.TemporaryDirectory() as downloads:
                self.assertEqual(self.downloaded("array", downloads), ("fw-image.bin", data))

    def test_parts_in_each_mode(self):
        """Each of the command's modes as the program prints it; the
        divider's ratios are R2 / (R1 + R2) of the parts it prints, as Python
        works them out; a value that is none is the command's one-line error."""
        self.tab("parts")
        Select(self.driver.find_element(By.ID, "parts-series")).select_by_value("E24")
        self.type_into("parts-value", "4.8k")
        self.assertEqual(self.assert_as_cli("parts", ["parts", "--series", "E24", "4.8k"])[1].split()[:2],
                         ["below", "4.7k"])
        self.type_into("parts-value", "4x8")
        code, out, err = self.assert_as_cli("parts", ["parts", "--series", "E24", "4x8"])
        self.assertEqual((code, out, err.count("\n")), (2, "", 1))
        Select(self.driver.find_element(By.ID, "parts-mode")).select_by_value("divider")
        self.assertFalse(self.driver.find_element(By.ID, "parts-value").is_displayed())
        Select(self.driver.find_element(By.ID, "parts-series")).select_by_value("")
        self.type_into("parts-vin", "12")
        self.type_into("parts-vout", "3.3")
        self.type_into("parts-count", "3")
        code, out, _ = self.assert_as_cli("parts", ["parts", "divider", "--count", "3", "12", "3.3"])
        rows = [line.split() for line in out.splitlines()[1:]]
        self.assertEqual(len(rows), 3)
        value = lambda text: float(text[:-1]) * {"k": 1e3, "M": 1e6}[text[-1]] if text[-1] in "kM" else float(text)
        for r1, r2, ratio, *_ in rows:
            self.assertAlmostEqual(value(r2) / (value(r1) + value(r2)), float(ratio), places=5)
        self.type_into("parts-ratio", "0.5")
        self.assert_as_cli("parts", ["parts", "divider", "--count", "3", "--ratio", "0.5"])
        Select(self.driver.find_element(By.ID, "parts-mode")).select_by_value("code")
        Select(self.driver.find_element(By.ID, "parts-kind")).select_by_value("capacitor")
        self.type_into("parts-code", "104")
        self.assertEqual(self.assert_as_cli("parts", ["parts", "code", "capacitor", "104"])[1], "100nF  3-digit\n")
        Select(self.driver.find_element(By.ID, "parts-kind")).select_by_value("resistor")
        self.type_into("parts-code", "yellow violet red gold")
        self.assert_as_cli("parts", ["parts", "code", "resistor", "yellow", "violet", "red", "gold"])
        Select(self.driver.find_element(By.ID, "parts-mode")).select_by_value("mark")
        self.type_into("parts-value", "4.99k")
        self.type_into("parts-tolerance", "0.1")
        self.type_into("parts-tempco", "25")
        out = self.assert_as_cli("parts", ["parts", "mark", "resistor", "--tolerance", "0.1", "--tempco", "25",
                                           "4.99k"])[1]
        self.assertIn("4K99", out)
        with tempfile.TemporaryDirectory() as folder:
            self.assertEqual(self.downloaded("parts", folder), ("parts.txt", out.encode()))
        # The link holds the mode and its fields.
        self.open(self.driver.current_url)
        self.assertEqual(self.shown("parts", ["parts", "mark", "resistor", "--tolerance", "0.1", "--tempco", "25",
                                              "4.99k"])[1], out)

    def test_filter_designed_and_its_frequency(self):
        """The parts the program chooses, each line's frequency being
        1 / (2 pi R C) of the parts on it; the frequency of parts given;
        a part missing is the command's error, naming it."""
        self.tab("filter")
        self.type_into("filter-freq", "1k")
        self.type_into("filter-count", "3")
        code, out, _ = self.assert_as_cli("filter", ["filter", "rc", "--lowpass", "--count", "3", "1k"])
        scale = {"p": 1e-12, "n": 1e-9, "u": 1e-6, "k": 1e3, "M": 1e6}
        value = lambda text: float(text[:-1]) * scale[text[-1]] if text[-1] in scale else float(text)
        for r, c, fc, *_ in (line.split() for line in out.splitlines()[1:]):
            worked = 1 / (2 * 3.141592653589793 * value(r) * value(c))
            self.assertAlmostEqual(worked / value(fc.removesuffix("Hz")), 1, places=3)
        Select(self.driver.find_element(By.ID, "filter-kind")).select_by_value("sallen-key")
        self.type_into("filter-q", "0.5")
        self.assert_as_cli("filter", ["filter", "sallen-key", "--q", "0.5", "--count", "3", "1k"])
        Select(self.driver.find_element(By.ID, "filter-kind")).select_by_value("")
        self.driver.find_element(By.CSS_SELECTOR, "#filter-form input[name=job][value=parts]").click()
        self.assertFalse(self.driver.find_element(By.ID, "filter-freq").is_displayed())
        self.type_into("filter-r1", "16k")
        code, out, err = self.assert_as_cli("filter", ["filter", "rc", "--r", "16k", "--c", ""])
        self.assertEqual((code, out, err.count("\n")), (2, "", 1))
        self.type_into("filter-c1", "10n")
        self.assertEqual(self.assert_as_cli("filter", ["filter", "rc", "--r", "16k", "--c", "10n"])[1],
                         "fc %.1fHz\n" % (1 / (2 * 3.141592653589793 * 16e3 * 10e-9)))
        Select(self.driver.find_element(By.ID, "filter-kind")).select_by_value("lc")
        self.type_into("filter-l", "10u")
        self.assert_as_cli("filter", ["filter", "lc", "--l", "10u", "--c", "10n"])

    def test_printf_with_its_table_and_bytes_downloaded(self):
        """The text as C's printf writes it (Python's % formatting of the
        values C converts to), then the table --explain prints; a byte that
        is no UTF-8 downloads as itself; an argument that is no number is
        the command's error, naming the conversion."""
        self.tab("printf")
        self.type_into("printf-format", "%08.3f|%-5hhd|%#x\\n")
        self.type_into("printf-args", "3.14159\n300\n255")
        words = ["printf", "--explain", "--", "%08.3f|%-5hhd|%#x\\n", "3.14159", "300", "255"]
        code, out, err = self.assert_as_cli("printf", words)
        self.assertEqual((code, err), (0, ""))
        text = "%08.3f|%-5d|%#x\n" % (3.14159, 300 - 256, 255)
        self.assertTrue(out.startswith(text + "conversion  at  argument  as"), out)
        self.driver.find_element(By.ID, "printf-explain").click()
        self.assertEqual(self.assert_as_cli("printf", [words[0]] + words[2:])[1], text)
        # An argument that starts with '-' is an argument, after the "--".
        self.type_into("printf-format", "%f %e")
        self.type_into("printf-args", "-inf\n-0.5")
        self.assertEqual(self.assert_as_cli("printf", ["printf", "--", "%f %e", "-inf", "-0.5"])[1],
                         "-inf -5.000000e-01")
        self.type_into("printf-format", "%d")
        self.type_into("printf-args", "abc")
        code, out, err = self.assert_as_cli("printf", ["printf", "--", "%d", "abc"])
        self.assertEqual((code, out, err.count("\n")), (2, "", 1))
        self.assertNotEqual(self.driver.find_element(By.ID, "printf-download").is_displayed(), True)
        self.type_into("printf-format", "A\\xff%c")
        self.type_into("printf-args", "66")
        self.assertEqual(self.shown("printf", ["printf", "--", "A\\xff%c", "66"])[0], 0)
        with tempfile.TemporaryDirectory() as folder:
            self.assertEqual(self.downloaded("printf", folder), ("printf.txt", b"A\xffB"))
        self.assertEqual(cli_bytes(["printf", "--", "A\\xff%c", "66"])[1], b"A\xffB")

    def test_random_seeded_and_from_the_browser(self):
        """A seed gives the program's numbers (and the help's example); the
        browser's secure generator gives a seed that is shown, in the field
        or in the command, and the command shown makes the same numbers."""
        self.tab("random")
        self.type_into("random-seed", "1")
        words = ["random", "--count", "10", "--range", "1..6", "--seed", "1"]
        self.assertEqual(self.assert_as_cli("random", words)[1].split(), "5 4 4 3 5 1 1 3 6 4".split())
        self.assertEqual(self.note("random"), "")
        # Signed ranges, unique and sorted, as a C array.
        self.type_into("random-low", "-5")
        self.type_into("random-high", "5")
        self.driver.find_element(By.ID, "random-unique").click()
        self.driver.find_element(By.ID, "random-sort").click()
        self.driver.find_element(By.ID, "random-c").click()
        self.type_into("random-name", "offsets")
        words = ["random", "--count", "10", "--range=-5..5", "--unique", "--sort", "--format", "c", "--name",
                 "offsets", "--seed", "1"]
        out = self.assert_as_cli("random", words)[1]
        numbers = [int(n) for n in re.search(r"\{\s*(.*?)\s*\}", out, re.S).group(1).split(",")]
        self.assertEqual(numbers, sorted(set(numbers)))
        self.assertTrue(all(-5 <= n <= 5 for n in numbers) and len(numbers) == 10, numbers)
        with tempfile.TemporaryDirectory() as folder:
            self.assertEqual(self.downloaded("random", folder), ("offsets.c", out.encode()))
        # Twelve unique numbers from eleven: the command's error.
        self.type_into("random-count", "12")
        code, out, err = self.assert_as_cli("random", ["random", "--count", "12"] + words[3:])
        self.assertEqual((code, out, err.count("\n")), (2, "", 1))
        # Bytes without a seed: the browser draws one, and the command
        # shown, run by the program, prints the same bytes.
        self.driver.find_element(By.ID, "random-c").click()
        self.driver.find_element(By.CSS_SELECTOR, "#random-form input[name=kind][value=bytes]").click()
        self.type_into("random-count", "40")
        self.driver.find_element(By.ID, "random-seed").clear()
        drawn = r"^quobrix random --count 40 --bytes --seed \d+$"
        for _ in range(2):
            # The command and its result read at once: each run shows both
            # together, and the runs of the keys typed may still come in.
            snapshot = lambda: self.driver.execute_script(
                "return [(%s)(), ...(%s)(), document.getElementById('random-note').textContent]" % (
                    "() => {" + page_results.SHOWN_COMMAND + "}", "() => {" + page_results.SHOWN_RESULT + "}"),
                "random")
            self.wait(lambda: re.match(drawn, snapshot()[0] or "") and snapshot()[4], "a seed drawn")
            command, code, out, err, note = snapshot()
            self.assertRegex(command, drawn)
            self.assertIn("crypto.getRandomValues", note)
            self.assertEqual((code, out, err), cli(command.split()[1:]))
            self.assertEqual(len(out.split()), 40)
            # The button puts a seed of the browser's into the field.
            self.driver.find_element(By.ID, "random-draw-seed").click()
            self.wait(lambda: self.driver.find_element(By.ID, "random-seed").get_attribute("value"), "a seed")
            seed = self.driver.find_element(By.ID, "random-seed").get_attribute("value")
            code, out, err = self.assert_as_cli("random", ["random", "--count", "40", "--bytes", "--seed", seed])
            self.assertEqual(self.note("random"), "")
            self.assertLess(int(seed), 1 << 64)
            self.driver.find_element(By.ID, "random-seed").clear()
            self.type_into("random-count", "40")
        # The link holds the seed: opened again, the same numbers.
        self.driver.find_element(By.ID, "random-draw-seed").click()
        seed = self.driver.find_element(By.ID, "random-seed").get_attribute("value")
        words = ["random", "--count", "40", "--bytes", "--seed", seed]
        first = self.shown("random", words)
        self.open(self.driver.current_url)
        self.assertEqual(self.shown("random", words), first)

    def shown_command(self, tool):
        return self.driver.execute_script(page_results.SHOWN_COMMAND, tool)

    def test_new_tabs_in_chinese_and_english(self):
        labels = {"tab-array": ("C array", "C 数组"), "tab-parts": ("Parts", "元件值"),
                  "tab-filter": ("Filter", "滤波器"), "tab-random": ("Random", "随机数"),
                  "random-draw-seed": ("Seed from the browser's secure generator", "用浏览器的安全随机源生成种子")}
        self.tab("random")
        self.type_into("random-seed", "1")
        self.shown("random", ["random", "--count", "10", "--range", "1..6", "--seed", "1"])
        for element, (english, _) in labels.items():
            self.assertEqual(self.driver.find_element(By.ID, element).text, english)
        self.driver.find_element(By.ID, "language").click()
        for element, (_, chinese) in labels.items():
            self.assertEqual(self.driver.find_element(By.ID, element).text, chinese)
        self.assertEqual(self.driver.find_element(By.CSS_SELECTOR, "label[for=random-count]").text, "个数 (--count)")
        self.assertEqual(self.driver.find_element(By.ID, "random-download").text, "下载")
        self.tab("parts")
        self.assertEqual(Select(self.driver.find_element(By.ID, "parts-mode")).first_selected_option.text,
                         "查标称值（最接近的系列值）")

    # ---- Files, links and the language -----------------------------------------

    def test_a_file_hashed_in_blocks(self):
        self.tab("file")
        Select(self.driver.find_element(By.ID, "file-model")).select_by_value("CRC-32/ISO-HDLC")
        with tempfile.TemporaryDirectory() as folder:
            # More than two of the worker's blocks, and not a whole number of them.
            data = random.Random(23).randbytes(9 << 20 | 123)
            path = os.path.join(folder, "capture.bin")
            with open(path, "wb") as f:
                f.write(data)
            self.driver.find_element(By.ID, "file-input").send_keys(path)
            shown = self.shown("file", ["crc", "CRC-32/ISO-HDLC", "capture.bin"])
            self.assertEqual(shown, cli(["crc", "CRC-32/ISO-HDLC", "capture.bin"], cwd=folder))
            self.assertEqual(shown[1], "%08X  capture.bin\n" % zlib.crc32(data))

    def test_a_large_file_hashed_in_spans_side_by_side(self):
        """Large enough that several workers hash a span each, of uneven
        sizes, and the spans are joined: the line is zlib's CRC and the
        command line's, for a reflected CRC and for one that is not."""
        self.tab("file")
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "spans.bin")
            rng, crc = random.Random(5), 0
            with open(path, "wb") as f:
                for _ in range(100):
                    data = rng.randbytes(1 << 20)
                    crc = zlib.crc32(data, crc)
                    f.write(data)
                data = rng.randbytes(12345)
                crc = zlib.crc32(data, crc)
                f.write(data)
            lines = {}
            for model in ("CRC-32/ISO-HDLC", "CRC-32/MPEG-2"):
                Select(self.driver.find_element(By.ID, "file-model")).select_by_value(model)
                self.driver.find_element(By.ID, "file-input").send_keys(path)
                shown = self.shown("file", ["crc", model, "spans.bin"])
                self.assertEqual(shown, cli(["crc", model, "spans.bin"], cwd=folder), model)
                lines[model] = shown[1]
                # Cleared, so that choosing the file again is a change.
                self.driver.execute_script("document.getElementById('file-input').value = ''")
            self.assertEqual(lines["CRC-32/ISO-HDLC"], "%08X  spans.bin\n" % crc)

    def test_a_file_that_cannot_be_read_is_reported_and_the_next_hashed(self):
        """A file changed after it was chosen can no longer be read (the
        browser holds the file as it was): its line is the command line's
        for a file it cannot read, with the browser's reason, and the files
        after it are hashed, as the command line goes on."""
        self.tab("file")
        Select(self.driver.find_element(By.ID, "file-model")).select_by_value("CRC-32/ISO-HDLC")
        with tempfile.TemporaryDirectory() as folder:
            # The first takes long enough to hash (sparse: made at once) that
            # the second is changed before the page reaches it.
            first, second, third = (os.path.join(folder, name) for name in ("first.bin", "second.bin", "third.bin"))
            with open(first, "wb") as f:
                f.truncate(256 << 20)
            for path in (second, third):
                with open(path, "wb") as f:
                    f.write(b"123456789")
            self.driver.find_element(By.ID, "file-input").send_keys("\n".join((first, second, third)))
            with open(second, "ab") as f:
                f.write(b"changed")
            later = os.stat(second).st_mtime + 10
            os.utime(second, (later, later))
            code, out, err = self.shown("file", ["crc", "CRC-32/ISO-HDLC", "first.bin", "second.bin", "third.bin"])
            self.assertEqual(code, 2)
            zeros = 0
            for _ in range(16):
                zeros = zlib.crc32(bytes(16 << 20), zeros)
            self.assertEqual(out, "%08X  first.bin\nCBF43926  third.bin\n" % zeros)
            # The command line's line for a file it cannot read, up to the
            # reason, which is the browser's own.
            _, _, missing = cli(["crc", "CRC-32/ISO-HDLC", "second.bin"], cwd=os.path.dirname(folder))
            prefix = missing[:missing.index("second.bin: ") + len("second.bin: ")]
            self.assertEqual(prefix, "quobrix: second.bin: ")
            self.assertTrue(err.startswith(prefix) and err.endswith("\n") and err.count("\n") == 1, err)
            self.assertGreater(len(err), len(prefix) + 1, err)

    def test_a_file_hashing_cancelled(self):
        self.tab("file")
        with tempfile.TemporaryDirectory() as folder:
            # Sparse, so made at once, and long enough to hash that the
            # progress is there to see and cancel.
            path = os.path.join(folder, "large.bin")
            with open(path, "wb") as f:
                f.truncate(4 << 30)
            self.driver.find_element(By.ID, "file-input").send_keys(path)
            self.wait(lambda: self.driver.execute_script(
                "const p = document.getElementById('file-progress'); return !p.hidden && p.value > 0;"),
                "the progress moves")
            self.driver.find_element(By.ID, "file-cancel").click()
            code, out, err = self.shown("file", ["crc", "CRC-16/MODBUS", "large.bin"])
            self.assertEqual((code, out, err), (2, "", "Cancelled.\n"))
            self.assertFalse(self.driver.find_element(By.ID, "file-progress").is_displayed())
            self.assertFalse(self.driver.find_element(By.ID, "file-cancel").is_displayed())
            # The workers the cancel ended are replaced: the next file is hashed.
            small = os.path.join(folder, "check.bin")
            with open(small, "wb") as f:
                f.write(b"123456789")
            self.driver.execute_script("document.getElementById('file-input').value = ''")
            self.driver.find_element(By.ID, "file-input").send_keys(small)
            self.assertEqual(self.shown("file", ["crc", "CRC-16/MODBUS", "check.bin"]), (0, "4B37  check.bin\n", ""))

    def test_files_chosen_while_others_are_hashed_replace_them(self):
        """Only the files chosen last are reported: the spans of the file
        before, still being read, are given up, not joined into its line."""
        self.tab("file")
        with tempfile.TemporaryDirectory() as folder:
            # The second takes long enough that the first's reading, were it
            # not given up, would run into it.
            large, small = os.path.join(folder, "large.bin"), os.path.join(folder, "second.bin")
            with open(large, "wb") as f:
                f.truncate(4 << 30)
            data = random.Random(7).randbytes(24 << 20 | 5)
            with open(small, "wb") as f:
                f.write(data)
            self.driver.find_element(By.ID, "file-input").send_keys(large)
            self.wait(lambda: self.driver.execute_script(
                "const p = document.getElementById('file-progress'); return !p.hidden && p.value > 0;"),
                "the progress moves")
            self.driver.execute_script("document.getElementById('file-input').value = ''")
            Select(self.driver.find_element(By.ID, "file-model")).select_by_value("CRC-32/ISO-HDLC")
            self.driver.find_element(By.ID, "file-input").send_keys(small)
            self.assertEqual(self.shown("file", ["crc", "CRC-32/ISO-HDLC", "second.bin"]),
                             (0, "%08X  second.bin\n" % zlib.crc32(data), ""))
            self.assertFalse(self.driver.find_element(By.ID, "file-progress").is_displayed())

    def test_a_link_reproduces_its_result(self):
        self.tab("crc")
        Select(self.driver.find_element(By.ID, "crc-model")).select_by_value("CRC-16/MODBUS")
        self.type_into("crc-input", "123456789")
        Select(self.driver.find_element(By.ID, "crc-bytes")).select_by_value("le")
        words = ["crc", "CRC-16/MODBUS", "--text", "123456789", "--bytes", "le"]
        first = self.shown("crc", words)
        link = self.driver.current_url
        self.assertIn("#", link)
        self.open(link)
        self.assertEqual(self.shown("crc", words), first)
        self.assertEqual(first[1], "37 4B\n")
        # A dialog tool's link: its own choice of tool must not stand in for
        # the tab's.
        self.tab("tools")
        tool_select = Select(self.driver.find_element(By.ID, "tools-tool"))
        tool = tool_select.options[3].get_attribute("value")
        tool_select.select_by_value(tool)
        self.type_into("tools-input", "123456789")
        words = [tool, "--", "123456789"]
        first = self.assert_as_cli("tools", words)
        self.open(self.driver.current_url)
        self.assertEqual(self.shown("tools", words), first)

    def test_a_find_link_reproduces_its_result(self):
        """Find runs when asked; its link runs it again on opening, with the
        frames and options it holds."""
        self.tab("find")
        self.type_into("find-frames", "\n".join(MODBUS_FRAMES))
        self.driver.find_element(By.ID, "find-all").click()
        self.driver.find_element(By.ID, "find-run").click()
        words = ["find", "--all", "--"] + MODBUS_FRAMES
        first = self.assert_as_cli("find", words)
        self.assertTrue(first[1].startswith("CRC-16/MODBUS le head=0 tail=0\n"), first[1])
        self.open(self.driver.current_url)
        self.assertEqual(self.shown("find", words), first)
        self.assertTrue(self.driver.find_element(By.ID, "panel-find").is_displayed())
        self.assertEqual(self.driver.find_element(By.ID, "find-frames").get_attribute("value"),
                         "\n".join(MODBUS_FRAMES))

    def test_light_and_dark_follow_the_system(self):
        """Each scheme the system asks for gives the page its own colours,
        and every text stays legible on what it is drawn on (WCAG's 4.5:1)."""
        self.tab("crc")
        self.driver.find_element(By.CSS_SELECTOR, "#crc-form input[value=hex]").click()
        self.type_into("crc-input", "zz")  # a result and an error message to look at
        self.shown("crc", ["crc", "CRC-16/MODBUS", "--hex", "zz"])
        # Text and the element whose background it is drawn on.
        pairs = {"body text": ("body", "body"), "status": ("#status", "body"), "result": ("#crc-out", "#crc-out"),
                 "error": ("#crc-err", "#crc-err"), "chosen tab": ("#tab-crc", "#tab-crc"),
                 "button": ("#copy-link", "#copy-link"), "field": ("#crc-input", "#crc-input")}
        backgrounds = {}
        try:
            for scheme in ("light", "dark"):
                self.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {
                    "features": [{"name": "prefers-color-scheme", "value": scheme}]})
                colours = self.driver.execute_script("""
                    const colour = (sel, prop) => getComputedStyle(document.querySelector(sel))[prop];
                    return Object.fromEntries(Object.entries(arguments[0]).map(([k, [text, ground]]) =>
                        [k, [colour(text, 'color'), colour(ground, 'backgroundColor')]]));""", pairs)
                for what, (text, ground) in colours.items():
                    self.assertGreaterEqual(contrast(text, ground), 4.5, "%s in %s: %s on %s" % (
                        what, scheme, text, ground))
                backgrounds[scheme] = luminance(colours["body text"][1])
        finally:
            self.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": []})
        self.assertGreater(backgrounds["light"], 0.8)
        self.assertLess(backgrounds["dark"], 0.05)

    def test_screenshot_for_readme(self):
        """QUOBRIX_PAGE_SCREENSHOT=FILE.png takes README's picture: the
        Chinese page with a CRC-16/MODBUS result."""
        path = os.environ.get("QUOBRIX_PAGE_SCREENSHOT")
        if not path:
            self.skipTest("QUOBRIX_PAGE_SCREENSHOT not set")
        self.open(self.url + "#tool=crc&lang=zh&model=CRC-16%2FMODBUS&kind=text&input=123456789&bytes=le")
        self.shown("crc", ["crc", "CRC-16/MODBUS", "--text", "123456789", "--bytes", "le"])
        self.driver.set_window_size(900, 760)
        try:
            self.assertTrue(self.driver.save_screenshot(path))
        finally:
            self.driver.set_window_size(1024, 900)

    def test_language_follows_the_browser_and_switches(self):
        button = self.driver.find_element(By.ID, "copy-link")
        self.assertEqual(self.driver.execute_script("return document.documentElement.lang"), "en")
        self.assertEqual(button.text, "Copy link")
        self.driver.find_element(By.ID, "language").click()
        self.assertEqual(self.driver.execute_script("return document.documentElement.lang"), "zh-CN")
        self.assertEqual(button.text, "复制链接")
        # The switch is part of the link.
        self.assertIn("lang=zh", self.driver.current_url)
        chinese = start_browser("zh-CN")
        try:
            chinese.get(self.url)
            WebDriverWait(chinese, WAIT_SECONDS).until(
                lambda d: d.execute_script("return document.body.dataset.ready") == "true")
            self.assertEqual(chinese.execute_script("return document.documentElement.lang"), "zh-CN")
            self.assertEqual(chinese.find_element(By.ID, "copy-link").text, "复制链接")
        finally:
            chinese.quit()

    def test_tabs_by_keyboard(self):
        self.driver.find_element(By.ID, "tab-crc").click()
        self.driver.switch_to.active_element.send_keys(Keys.ARROW_RIGHT)
        self.assertEqual(self.driver.switch_to.active_element.get_attribute("id"), "tab-find")
        self.assertEqual(self.driver.find_element(By.ID, "tab-find").get_attribute("aria-selected"), "true")
        self.assertTrue(self.driver.find_element(By.ID, "panel-find").is_displayed())
        self.assertFalse(self.driver.find_element(By.ID, "panel-crc").is_displayed())
        self.driver.switch_to.active_element.send_keys(Keys.END)
        self.assertEqual(self.driver.switch_to.active_element.get_attribute("id"), "tab-serial")
        self.driver.find_element(By.ID, "tab-num").click()
        self.driver.switch_to.active_element.send_keys(Keys.ARROW_RIGHT)
        self.assertEqual(self.driver.switch_to.active_element.get_attribute("id"), "tab-modbus")
        self.assertTrue(self.driver.find_element(By.ID, "panel-modbus").is_displayed())

    # ---- Serial -------------------------------------------------------------

    def open_with_script(self, source):
        """The page opened again with `source` run before its own script."""
        added = self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": source})
        self.addCleanup(self.driver.execute_cdp_cmd, "Page.removeScriptToEvaluateOnNewDocument",
                        {"identifier": added["identifier"]})
        self.open(self.url)

    def serial_rows(self, count):
        self.wait(lambda: len(self.driver.execute_script(SERIAL_ROWS)) >= count, "%d rows" % count)
        return self.driver.execute_script(SERIAL_ROWS)

    def test_serial_frames_sent_and_received_through_a_port(self):
        self.open_with_script(FAKE_SERIAL)
        self.tab("serial")
        self.assertFalse(self.driver.find_element(By.ID, "serial-none").is_displayed())
        Select(self.driver.find_element(By.ID, "serial-parity")).select_by_value("even")
        self.driver.find_element(By.ID, "serial-open").click()
        send = self.driver.find_element(By.ID, "serial-send")
        self.wait(send.is_enabled, "the port is open")
        self.assertEqual(self.driver.execute_script("return fakeSerial.port.options"),
                         {"baudRate": 9600, "dataBits": 8, "parity": "even", "stopBits": 1, "flowControl": "none"})
        # MODBUS: read ten registers from address 0 of slave 1. The check
        # goes low byte first; the published frame ends C5 CD.
        request = bytes([0x01, 0x03, 0x00, 0x00, 0x00, 0x0A])
        self.assertEqual(crc16_modbus(request), bytes([0xC5, 0xCD]))
        self.type_into("serial-data", "01 03 00 00 00 0A")
        send.click()
        self.wait(lambda: len(self.driver.execute_script("return fakeSerial.written")) == 1, "a frame written")
        self.assertEqual(bytes(self.driver.execute_script("return fakeSerial.written[0]")),
                         request + crc16_modbus(request))
        rows = self.serial_rows(1)
        self.assertEqual(rows[0][1:], ["TX", "01 03 00 00 00 0A C5 CD", "\\x01\\x03\\x00\\x00\\x00\\n\\xC5\\xCD", ""])
        # The answer in two reads, one after the other: one frame, checked.
        answer = bytes([0x11, 0x03, 0x06, 0xAE, 0x41, 0x56, 0x52, 0x43, 0x40])
        answer += crc16_modbus(answer)
        self.driver.execute_script("fakeSerial.deliver(arguments[0], arguments[1])", list(answer[:5]), list(answer[5:]))
        rows = self.serial_rows(2)
        self.assertEqual(rows[1][1:3], ["RX", " ".join("%02X" % b for b in answer)])
        self.assertEqual(rows[1][4], "✔ CRC-16/MODBUS le")
        # A wrong check: the bytes the data gives, as Python computes them.
        bad = answer[:-1] + bytes([answer[-1] ^ 0xFF])
        self.driver.execute_script("fakeSerial.deliver(arguments[0])", list(bad))
        rows = self.serial_rows(3)
        self.assertEqual(rows[2][2], " ".join("%02X" % b for b in bad))
        self.assertEqual(rows[2][4], "✘ expected " + " ".join("%02X" % b for b in crc16_modbus(answer[:-2])))
        self.assertEqual(len(rows), 3)
        # Closed, the settings are free again and nothing more is sent.
        self.driver.find_element(By.ID, "serial-close").click()
        self.wait(lambda: self.driver.find_element(By.ID, "serial-open").is_enabled(), "the port is closed")
        self.assertFalse(send.is_enabled())
        self.assertTrue(self.driver.find_element(By.ID, "serial-baud").is_enabled())

    def test_serial_text_in_gbk_and_a_check_turned_off(self):
        self.open_with_script(FAKE_SERIAL)
        self.tab("serial")
        Select(self.driver.find_element(By.ID, "serial-encoding")).select_by_value("gbk")
        self.driver.find_element(By.ID, "serial-open").click()
        send = self.driver.find_element(By.ID, "serial-send")
        self.wait(send.is_enabled, "the port is open")
        self.driver.find_element(By.ID, "serial-append").click()  # no check now
        self.driver.find_element(By.CSS_SELECTOR, "#serial-form input[name=sendKind][value=text]").click()
        self.type_into("serial-data", "中文")
        send.click()
        self.wait(lambda: len(self.driver.execute_script("return fakeSerial.written")) == 1, "a frame written")
        self.assertEqual(bytes(self.driver.execute_script("return fakeSerial.written[0]")), "中文".encode("gbk"))
        self.driver.execute_script("fakeSerial.deliver(arguments[0])", list("好".encode("gbk")))
        rows = self.serial_rows(2)
        self.assertEqual(rows[1][1:], ["RX", " ".join("%02X" % b for b in "好".encode("gbk")), "好", ""])
        # A character GBK lacks is refused, and said.
        self.type_into("serial-data", "한")
        send.click()
        self.wait(lambda: "U+D55C" in self.driver.find_element(By.ID, "serial-err").text, "the refusal")
        self.assertEqual(len(self.driver.execute_script("return fakeSerial.written")), 1)
        self.driver.find_element(By.ID, "serial-close").click()
        self.wait(lambda: self.driver.find_element(By.ID, "serial-open").is_enabled(), "the port is closed")

    def test_serial_where_the_browser_offers_none(self):
        self.open_with_script(NO_SERIAL)
        self.tab("serial")
        notice = self.driver.find_element(By.ID, "serial-none")
        self.assertTrue(notice.is_displayed())
        self.assertTrue(notice.text.startswith("This browser offers no serial port"), notice.text)
        # No control that could do nothing.
        panel = self.driver.find_element(By.ID, "panel-serial")
        controls = [e for e in panel.find_elements(By.CSS_SELECTOR, "button, input, select, textarea, table")
                    if e.is_displayed()]
        self.assertEqual(controls, [])
        self.driver.find_element(By.ID, "language").click()
        self.assertTrue(notice.text.startswith("此浏览器不提供串口"), notice.text)

    def test_narrow_window_needs_no_sideways_scrolling(self):
        self.driver.set_window_size(320, 800)
        try:
            for tool in ("crc", "find", "frame", "num", "modbus", "array", "parts", "filter", "printf", "random",
                         "tools", "file", "serial"):
                self.tab(tool)
                width = self.driver.execute_script("return document.documentElement.clientWidth")
                self.assertLessEqual(
                    self.driver.execute_script("return document.documentElement.scrollWidth"), width, tool)
        finally:
            self.driver.set_window_size(1024, 900)


def main():
    global PAGE, QUOBRIX
    if len(sys.argv) < 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    PAGE, QUOBRIX = sys.argv[1], os.path.abspath(sys.argv[2])
    # binascii's CRC-32 is zlib's: two oracles agreeing on the check value.
    assert binascii.crc32(b"123456789") == zlib.crc32(b"123456789") == 0xCBF43926
    program = unittest.main(argv=[sys.argv[0]] + sys.argv[3:], exit=False)
    return 0 if program.result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
