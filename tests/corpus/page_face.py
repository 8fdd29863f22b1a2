#!/usr/bin/env python3
"""The page's face of the corpus: a case's words run in quobrix.html, opened
from disk in headless Chromium or Firefox, through the entry the page's tabs
use (window.quobrixCorpus, which page.js sets once its module is ready):
Quobrix.run with the case's standard input, or, for a case with a file, the
run worker's streamed run given the file as the C array tab gives a chosen
one. The answer is the exact bytes the command wrote, carried out of the
browser as base64.

Chromium is driven as tests/web/page_test.py drives it (Selenium and
Debian's chromedriver), Firefox as tests/web/firefox_test.py does (its own
remote protocol): their ways of starting and talking to each are theirs.

Usage: page_face.py PAGE [BROWSER]
  Runs a handful of cases through the page and through the native program
  (build/linux/bin/quobrix, or $QUOBRIX) and prints any difference; exit
  status 1 when there is one. BROWSER chromium (the default) or firefox.
"""
import base64
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "web"))

WAIT_SECONDS = 60  # a bound on each wait, never a pause

# The case run in the page; its answer comes to `done` as base64, or as the
# error that stopped it. Arguments: words, the file's name (null for a case
# without one), standard input or the file's bytes as base64, done.
RUN_CASE = r"""
const [words, fileName, given, done] = arguments;
const fromBase64 = (text) => Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
const toBase64 = (bytes) => {
  let text = '';
  for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
  return btoa(text);
};
Promise.resolve()
  .then(() => (fileName === null ? window.quobrixCorpus.run(words, fromBase64(given))
    : window.quobrixCorpus.runFile(words, fileName, fromBase64(given))))
  .then((r) => done({ code: r.code, out: toBase64(r.outBytes), err: toBase64(r.errBytes), cut: Boolean(r.cut) }),
        (e) => done({ error: String((e && e.stack) || e) }));
"""
READY = "return Boolean(document.body && document.body.dataset.ready === 'true' && window.quobrixCorpus)"
# What the document fetched: nothing beyond itself but Blob and data URLs of
# its own making (the workers' script).
FETCHED = ("return performance.getEntriesByType('resource').map((e) => e.name)"
           ".filter((n) => !n.startsWith('blob:') && !n.startsWith('data:'))")


class PageFaceError(Exception):
    """The page could not give an answer: it did not start, a run threw, or
    the output came back cut short."""


def stdin_of(case):
    if "stdin_hex" in case:
        return bytes.fromhex(case["stdin_hex"])
    return case.get("stdin", "").encode("utf-8")


class _Chromium:
    def __init__(self):
        from page_test import start_browser
        self.driver = start_browser()
        self.driver.set_script_timeout(WAIT_SECONDS)

    def navigate(self, url):
        self.driver.get("about:blank")
        self.driver.get(url)

    def script(self, source, *args):
        return self.driver.execute_script(source, *args)

    def async_script(self, source, *args):
        return self.driver.execute_async_script(source, *args)

    def close(self):
        profile = self.driver.capabilities.get("chrome", {}).get("userDataDir", "")
        self.driver.quit()
        # start_browser's profile, a folder of its own under the temporary one.
        if os.path.basename(profile).startswith("quobrix-page-test-"):
            shutil.rmtree(profile, ignore_errors=True)


class _Firefox:
    def __init__(self):
        from firefox_test import start_firefox
        self.process, self.profile, self.browser = start_firefox("quobrix-corpus-firefox-",
                                                                 script_seconds=WAIT_SECONDS)

    def navigate(self, url):
        self.browser.command("WebDriver:Navigate", {"url": "about:blank"})
        self.browser.command("WebDriver:Navigate", {"url": url})

    def script(self, source, *args):
        return self.browser.script(source, *args)

    def async_script(self, source, *args):
        return self.browser.command("WebDriver:ExecuteAsyncScript", {"script": source, "args": list(args)})["value"]

    def close(self):
        # Quit ends the session too; after DeleteSession, Firefox would
        # take no Quit, and be waited for until killed.
        try:
            self.browser.command("Marionette:Quit", {"flags": ["eForceQuit"]})
        except (OSError, RuntimeError, ConnectionError):
            pass
        try:
            self.process.wait(timeout=WAIT_SECONDS)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait(timeout=WAIT_SECONDS)
        shutil.rmtree(self.profile, ignore_errors=True)


BROWSERS = {"chromium": _Chromium, "firefox": _Firefox}


class PageFace:
    """quobrix.html in one browser, opened once and given case after case."""

    def __init__(self, page_path, browser):
        if browser not in BROWSERS:
            raise ValueError("browser %r: chromium or firefox" % browser)
        self.url = pathlib.Path(page_path).resolve().as_uri()
        self.browser = BROWSERS[browser]()
        try:
            self.browser.navigate(self.url)
            deadline = time.monotonic() + WAIT_SECONDS
            while not self.browser.script(READY):
                if time.monotonic() > deadline:
                    raise PageFaceError("the page was not ready within %d s" % WAIT_SECONDS)
                time.sleep(0.02)  # polling the page, bounded by the deadline
        except BaseException:
            self.browser.close()
            raise

    def run(self, case):
        """{"status": int, "out": bytes, "err": bytes} of case["words"]."""
        file = case.get("file")
        if file and ("stdin" in case or "stdin_hex" in case):
            # The page reads a chosen file or what is typed, never both.
            raise PageFaceError("%s: a case with a file takes no standard input in the page" % case.get("name"))
        given = bytes.fromhex(file["hex"]) if file else stdin_of(case)
        answer = self.browser.async_script(RUN_CASE, case["words"], file["name"] if file else None,
                                           base64.b64encode(given).decode("ascii"))
        if "error" in answer:
            raise PageFaceError("%s: %s" % (case.get("name"), answer["error"]))
        if answer["cut"]:
            raise PageFaceError("%s: the run failed with more output than the page keeps" % case.get("name"))
        return {"status": answer["code"], "out": base64.b64decode(answer["out"]),
                "err": base64.b64decode(answer["err"])}

    def fetched(self):
        """What the page fetched beyond itself (nothing, for a page that
        asks for nothing)."""
        return self.browser.script(FETCHED)

    def close(self):
        self.browser.close()


# ---- Self-check: a few cases against the native program ----------------------

SELF_CHECK_CASES = [
    {"name": "crc.modbus.text", "words": ["crc", "CRC-16/MODBUS", "--text", "123456789"]},
    {"name": "upper.utf8", "words": ["upper", "abc中文"]},
    {"name": "parts.e24", "words": ["parts", "--series", "E24", "4k8"]},
    {"name": "crc.unknown-model", "words": ["crc", "nonsense", "--text", "1"]},
    {"name": "crc.stdin", "words": ["crc", "CRC-16/MODBUS"], "stdin_hex": "31 32 33 34 35 36 37 38 39"},
    {"name": "hexconv.stdin-text", "words": ["hexconv"], "stdin": "中文\n"},
    {"name": "array.reverse.binary", "words": ["array", "--reverse", "--text", "{ 0xff, 0, 0x80, 0xc3 }"]},
    {"name": "array.file", "words": ["array", "--name", "t", "data.bin"],
     "file": {"name": "data.bin", "hex": "00 01 FF"}},
    {"name": "array.file.empty", "words": ["array", "--", "empty.bin"], "file": {"name": "empty.bin", "hex": ""}},
    {"name": "array.file.reverse-fails", "words": ["array", "--reverse", "--", "t.c"],
     "file": {"name": "t.c", "hex": "{ 0x48, 0x100 }".encode("ascii").hex()}},
]


def native(quobrix, case):
    with tempfile.TemporaryDirectory(prefix="quobrix-page-face-") as folder:
        file = case.get("file")
        if file:
            pathlib.Path(folder, file["name"]).write_bytes(bytes.fromhex(file["hex"]))
        done = subprocess.run([quobrix, *case["words"]], input=stdin_of(case), capture_output=True, cwd=folder,
                              timeout=120, check=False)
    return {"status": done.returncode, "out": done.stdout, "err": done.stderr}


def self_check(page, browser, quobrix):
    face = PageFace(page, browser)
    differences = 0
    try:
        for case in SELF_CHECK_CASES:
            expected, got = native(quobrix, case), face.run(case)
            for key in ("status", "out", "err"):
                if expected[key] != got[key]:
                    differences += 1
                    print("%s: %s %r, the program's %r" % (case["name"], key, got[key], expected[key]))
        fetched = face.fetched()
        if fetched:
            differences += 1
            print("the page fetched %s" % fetched)
    finally:
        face.close()
    print("%s: %d cases, %d differences" % (browser, len(SELF_CHECK_CASES), differences))
    return 1 if differences else 0


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    reference = os.path.abspath(os.environ.get("QUOBRIX") or HERE.parents[1] / "build" / "linux" / "bin" / "quobrix")
    sys.exit(self_check(sys.argv[1], sys.argv[2] if len(sys.argv) == 3 else "chromium", reference))
