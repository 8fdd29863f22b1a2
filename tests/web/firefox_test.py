#!/usr/bin/env python3
"""The page in headless Firefox (Debian's firefox-esr), opened from disk: the
same page must work there as in Chromium. Each workbench tool, a dialog
tool and a chosen file are driven through the page's controls and compared
with what the command-line program prints; a link reproduces its result.

Firefox is driven over its own remote protocol, Marionette (Debian packages
no geckodriver, which Selenium would need): length-prefixed JSON over a TCP
socket, a few commands of WebDriver's.

Usage: firefox_test.py PAGE QUOBRIX [unittest arguments]
  PAGE     quobrix.html as scripts/package or the web preset makes it
  QUOBRIX  the native command-line program, the reference
"""
import json
import os
import pathlib
import random
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import zlib

import page_results

PAGE = None
QUOBRIX = None
WAIT_SECONDS = 30  # a bound on each wait, never a pause
FIREFOX = "/usr/bin/firefox-esr"
MODBUS_FRAMES = ["01 03 00 00 00 0A C5 CD", "01 06 00 01 00 03 98 0B", "11 03 00 6B 00 03 76 87"]
# WebDriver's key for an element reference.
ELEMENT = "element-6066-11e4-a52e-4f735466cecf"


def cli(args, cwd=None):
    return page_results.cli(QUOBRIX, args, cwd)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Marionette:
    """A client of Firefox's remote protocol: each message is its length in
    bytes, a colon and JSON; a command is [0, id, name, parameters], its
    answer [1, id, error, result]."""

    def __init__(self, port):
        deadline = time.monotonic() + WAIT_SECONDS
        while True:
            try:
                self.sock = socket.create_connection(("127.0.0.1", port), timeout=WAIT_SECONDS)
                break
            except OSError:
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.1)  # polling the port Firefox has yet to open, bounded above
        self.buffer = b""
        self.next_id = 0
        hello = self.receive()
        assert hello.get("marionetteProtocol") == 3, hello

    def receive(self):
        while b":" not in self.buffer:
            self.read_more()
        length, _, rest = self.buffer.partition(b":")
        self.buffer = rest
        while len(self.buffer) < int(length):
            self.read_more()
        message, self.buffer = self.buffer[:int(length)], self.buffer[int(length):]
        return json.loads(message)

    def read_more(self):
        chunk = self.sock.recv(65536)
        if not chunk:
            raise ConnectionError("Firefox closed the connection")
        self.buffer += chunk

    def command(self, name, parameters=None):
        self.next_id += 1
        data = json.dumps([0, self.next_id, name, parameters or {}]).encode("utf-8")
        self.sock.sendall(b"%d:" % len(data) + data)
        kind, answer_id, error, result = self.receive()
        assert (kind, answer_id) == (1, self.next_id), (kind, answer_id)
        if error:
            raise RuntimeError("%s: %s" % (name, error))
        return result

    def script(self, source, *args):
        return self.command("WebDriver:ExecuteScript", {"script": source, "args": list(args)})["value"]


def start_firefox(profile_prefix, more_prefs=(), script_seconds=None):
    """Headless Firefox on a profile of its own, English, driven over its
    remote protocol: (its process, the profile's folder, a client with a
    session open, its scripts bounded by `script_seconds` where given)."""
    profile = tempfile.mkdtemp(prefix=profile_prefix)
    port = free_port()
    prefs = (("marionette.port", port), ("browser.shell.checkDefaultBrowser", False),
             ("datareporting.policy.dataSubmissionEnabled", False),
             ("toolkit.telemetry.reportingpolicy.firstRun", False),
             ("browser.aboutwelcome.enabled", False), ("intl.accept_languages", "en-US"),
             ("network.proxy.type", 0)) + tuple(more_prefs)
    with open(os.path.join(profile, "user.js"), "w") as file:
        for name, value in prefs:
            file.write("user_pref(%s, %s);\n" % (json.dumps(name), json.dumps(value)))
    env = dict(os.environ, MOZ_HEADLESS="1", HOME=profile)
    process = subprocess.Popen([FIREFOX, "--headless", "--marionette", "--no-remote", "--profile", profile,
                                "about:blank"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        browser = Marionette(port)
        browser.command("WebDriver:NewSession", {"capabilities": {}})
        if script_seconds is not None:
            browser.command("WebDriver:SetTimeouts", {"script": script_seconds * 1000})
    except BaseException:
        process.kill()
        process.wait(timeout=WAIT_SECONDS)
        shutil.rmtree(profile, ignore_errors=True)
        raise
    return process, profile, browser


class FirefoxPageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.url = pathlib.Path(PAGE).resolve().as_uri()
        # Firefox 153 ESR offers Web Serial (behind a site-permission add-on);
        # without it, as earlier versions and other builds are, the Serial
        # tab must say so.
        cls.firefox, cls.profile, cls.browser = start_firefox("quobrix-firefox-", (("dom.webserial.enabled", False),))

    @classmethod
    def tearDownClass(cls):
        # Quit ends the session too; after DeleteSession, Firefox would take
        # no Quit, and be waited for until the bound.
        try:
            cls.browser.command("Marionette:Quit", {"flags": ["eForceQuit"]})
        except (OSError, RuntimeError, ConnectionError):
            pass
        try:
            cls.firefox.wait(timeout=WAIT_SECONDS)
        except subprocess.TimeoutExpired:
            cls.firefox.kill()
        shutil.rmtree(cls.profile, ignore_errors=True)

    def setUp(self):
        self.open(self.url)

    def tearDown(self):
        # What the document fetched: nothing beyond itself but Blob and data
        # URLs of its own making (the workers' script, the module).
        fetched = self.browser.script(
            "return performance.getEntriesByType('resource').map(e => e.name)"
            ".filter(n => !n.startsWith('blob:') && !n.startsWith('data:'))")
        self.assertEqual(fetched, [], "requests beyond the page")

    # ---- Driving the page ---------------------------------------------------

    def wait(self, condition, what):
        deadline = time.monotonic() + WAIT_SECONDS
        while not condition():
            if time.monotonic() > deadline:
                self.fail("timed out waiting until " + what)
            time.sleep(0.02)  # polling the page, bounded by the deadline

    def open(self, url):
        self.browser.command("WebDriver:Navigate", {"url": "about:blank"})
        self.browser.command("WebDriver:Navigate", {"url": url})
        self.wait(lambda: self.browser.script("return document.body && document.body.dataset.ready") == "true",
                  "the page is ready")

    def tab(self, tool):
        self.browser.script("document.getElementById('tab-' + arguments[0]).click()", tool)

    def set_field(self, element_id, value):
        """A value typed or chosen, with the events a user's typing sends."""
        self.browser.script(
            "const e = document.getElementById(arguments[0]);"
            "if (e.type === 'checkbox') e.checked = arguments[1]; else e.value = arguments[1];"
            "e.dispatchEvent(new Event('input', {bubbles: true}));"
            "e.dispatchEvent(new Event('change', {bubbles: true}));", element_id, value)

    def click(self, element_id):
        self.browser.script("document.getElementById(arguments[0]).click()", element_id)

    def shown(self, tool, words):
        """What the page shows once it shows the result of `quobrix WORDS`:
        exit status, standard output and error."""
        return page_results.shown(self.browser.script, self.wait, tool, words)

    def assert_as_cli(self, tool, words, cwd=None):
        shown = self.shown(tool, words)
        self.assertEqual(shown, cli(words, cwd), "quobrix " + " ".join(words))
        return shown

    # ---- The tools ------------------------------------------------------------

    def test_crc_of_a_model_and_its_link(self):
        self.tab("crc")
        self.set_field("crc-model", "CRC-16/MODBUS")
        self.set_field("crc-input", "123456789")
        self.set_field("crc-bytes", "le")
        words = ["crc", "CRC-16/MODBUS", "--text", "123456789", "--bytes", "le"]
        shown = self.assert_as_cli("crc", words)
        self.assertEqual(shown[1], "37 4B\n")  # the catalogue's check 0x4B37, low byte first
        link = self.browser.command("WebDriver:GetCurrentURL")["value"]
        self.assertIn("#", link)
        self.open(link)
        self.assertEqual(self.shown("crc", words), shown)

    def test_find_frame_and_num(self):
        self.tab("find")
        self.set_field("find-frames", "\n".join(MODBUS_FRAMES))
        self.click("find-run")
        self.assertEqual(self.assert_as_cli("find", ["find", "--"] + MODBUS_FRAMES)[1],
                         "CRC-16/MODBUS le head=0 tail=0\n")
        self.tab("frame")
        self.set_field("frame-check", "CRC-16/MODBUS le head=0 tail=0")
        self.set_field("frame-data", "11 03 00 6B 00 03")
        self.assertEqual(
            self.assert_as_cli("frame", ["frame", "CRC-16/MODBUS le head=0 tail=0", "--", "11 03 00 6B 00 03"])[1],
            "11 03 00 6B 00 03 76 87\n")
        self.tab("num")
        self.set_field("num-input", "41 20 00 00")
        self.set_field("num-type", "float32")
        self.set_field("num-order", "ABCD")
        self.assertEqual(
            self.assert_as_cli("num", ["num", "--type", "float32", "--order", "ABCD", "--", "41", "20", "00", "00"])[1],
            "10\n")

    def test_modbus_frames_decoded(self):
        # The request and response of function 03 in the MODBUS Application
        # Protocol V1.1b3, the answer read as a float32 and a 16-bit number
        # too, and a request whose CRC is off by one, which fails the run.
        frames = ["11 03 00 6B 00 03 76 87", "11 03 06 AE 41 56 52 43 40 49 AD", "11 03 00 6B 00 03 76 88"]
        self.tab("modbus")
        self.set_field("modbus-frames", "\n".join(frames))
        self.set_field("modbus-mode", "rtu")
        self.set_field("modbus-as", "f32:abcd u16")
        self.click("modbus-run")
        shown = self.assert_as_cli(
            "modbus", ["modbus", "decode", "--mode", "rtu", "--as", "f32:abcd", "--as", "u16", "--"] + frames)
        self.assertEqual(shown[0], 1)
        self.assertIn("0xAE41 = 44609\n", shown[1])

    def test_a_dialog_tool_as_gbk(self):
        self.tab("tools")
        self.set_field("tools-tool", "crc16")
        self.set_field("tools-input", "中文 123456789")
        self.assert_as_cli("tools", ["crc16", "--", "中文 123456789"])

    def test_a_chosen_file_hashed_in_spans(self):
        self.tab("file")
        self.set_field("file-model", "CRC-32/ISO-HDLC")
        with tempfile.TemporaryDirectory() as folder:
            # Large enough for several workers' spans, of uneven sizes.
            data = random.Random(7).randbytes(40 << 20 | 4321)
            path = os.path.join(folder, "capture.bin")
            with open(path, "wb") as f:
                f.write(data)
            element = self.browser.command("WebDriver:FindElement",
                                           {"using": "css selector", "value": "#file-input"})["value"][ELEMENT]
            self.browser.command("WebDriver:ElementSendKeys", {"id": element, "text": path})
            shown = self.shown("file", ["crc", "CRC-32/ISO-HDLC", "capture.bin"])
            self.assertEqual(shown, cli(["crc", "CRC-32/ISO-HDLC", "capture.bin"], cwd=folder))
            self.assertEqual(shown[1], "%08X  capture.bin\n" % zlib.crc32(data))

    def test_array_of_a_file_and_the_other_new_tabs(self):
        """The C array of a chosen file, read in the run worker, as the
        program writes it (Firefox's file reading and inflating of the
        module are its own); parts, filter, printf and a seeded random as
        the program prints them."""
        self.tab("array")
        with tempfile.TemporaryDirectory() as folder:
            data = random.Random(3).randbytes(20000)
            path = os.path.join(folder, "table.bin")
            with open(path, "wb") as f:
                f.write(data)
            element = self.browser.command("WebDriver:FindElement",
                                           {"using": "css selector", "value": "#array-file"})["value"][ELEMENT]
            self.browser.command("WebDriver:ElementSendKeys", {"id": element, "text": path})
            shown = self.assert_as_cli("array", ["array", "--", "table.bin"], cwd=folder)
            self.assertIn("const unsigned int table_bin_len = 20000;\n", shown[1])
        self.tab("parts")
        self.set_field("parts-mode", "code")
        self.set_field("parts-kind", "capacitor")
        self.set_field("parts-code", "104")
        self.assertEqual(self.assert_as_cli("parts", ["parts", "code", "capacitor", "104"])[1], "100nF  3-digit\n")
        self.tab("filter")
        self.set_field("filter-freq", "1k")
        self.assert_as_cli("filter", ["filter", "rc", "--lowpass", "1k"])
        self.tab("printf")
        self.set_field("printf-format", "%#.3g|%hu\\n")
        self.set_field("printf-args", "999.5\n-1")
        self.assert_as_cli("printf", ["printf", "--explain", "--", "%#.3g|%hu\\n", "999.5", "-1"])
        self.tab("random")
        self.set_field("random-seed", "42")
        self.assert_as_cli("random", ["random", "--count", "10", "--range", "1..6", "--seed", "42"])

    def test_serial_says_the_browser_offers_none(self):
        # A Firefox without Web Serial: the tab says so in either language,
        # and shows no control that could do nothing.
        self.assertFalse(self.browser.script("return Boolean(navigator.serial)"))
        self.tab("serial")
        shown = ("const p = document.getElementById('panel-serial');"
                 "return [document.getElementById('serial-none').textContent,"
                 " Array.from(p.querySelectorAll('button, input, select, textarea, table'))"
                 ".filter((e) => e.getClientRects().length > 0).length];")
        text, controls = self.browser.script(shown)
        self.assertTrue(text.startswith("This browser offers no serial port"), text)
        self.assertEqual(controls, 0)
        self.click("language")
        text, controls = self.browser.script(shown)
        self.assertTrue(text.startswith("此浏览器不提供串口"), text)
        self.assertEqual(controls, 0)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    PAGE, QUOBRIX = sys.argv[1], os.path.abspath(sys.argv[2])
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:])
