#!/usr/bin/env python3
"""Times the page (quobrix.html) in headless Chromium, opened from disk, and
writes the figures as JSON for bench_table.py:

file_crc     CRC-32/ISO-HDLC of a 256 MiB file chosen in the Files tab, from
             the input's change to the line shown (the file in the page
             cache, written once before the runs); its line is checked
             against zlib's CRC first
memory_crc   the module's quobrix_crc_update alone over 64 MiB in its own
             memory, in the page: the limit the file's reading is held to
array_file   the C array of a 64 MiB file chosen in the C array tab (quobrix
             array FILE), from the input's change to the result shown (the
             text's first 256 KiB)
array_blob   the same to the Download ready: the whole text in its Blob,
             whose length and last line are checked
find_hit     Find over three 256-byte frames (frames-hit.txt), from the
             click to the result shown
find_crc32   the same over four frames of a 32-bit CRC the catalogue does not
             hold (frames-crc32.txt), which Find recovers
ready        from the start of the navigation to the page ready to use
size_bytes   the file's size

Each timing is a list of runs in milliseconds; bench_table.py takes medians.

Usage: page_bench.py PAGE FRAMES_DIR OUT_JSON
  FRAMES_DIR  where bench/make_frames.py wrote its frames; the 256 MiB file
              is written there too, and removed afterwards
"""
import json
import os
import pathlib
import random
import statistics
import sys
import tempfile
import zlib

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select, WebDriverWait

FILE_BYTES = 256 << 20
FILE_RUNS = int(os.environ.get("PAGE_FILE_RUNS", "5"))
ARRAY_BYTES = 64 << 20
ARRAY_RUNS = int(os.environ.get("PAGE_ARRAY_RUNS", "5"))
MEMORY_RUNS = 5
FIND_RUNS = int(os.environ.get("PAGE_FIND_RUNS", "20"))
READY_RUNS = 10
WAIT_SECONDS = 120  # a bound on each wait


def start_browser():
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                     "--user-data-dir=" + tempfile.mkdtemp(prefix="quobrix-page-bench-"), "--lang=en-US",
                     "--window-size=1024,900", "--no-first-run", "--no-default-browser-check",
                     "--disable-background-networking", "--disable-component-update", "--disable-sync"):
        options.add_argument(argument)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


# When the page says it is ready, from the navigation's start: noted by an
# observer set up before the page's own scripts run.
READY_OBSERVER = """
new MutationObserver((_, observer) => {
  if (document.body && document.body.dataset.ready === 'true') {
    window.quobrixBenchReadyAt = performance.now();
    observer.disconnect();
  }
}).observe(document, {attributes: true, subtree: true, attributeFilter: ['data-ready']});
"""

# The time from `start` (an event on an element, caught before the page's
# own handlers) to the tool's result shown: the result box's text changes.
WATCH_RESULT = """
const [startId, startEvent, tool] = arguments;
window.quobrixBench = {};
const box = document.querySelector(`.result[data-for="${tool}"]`);
document.getElementById(startId).addEventListener(startEvent, () => {
  window.quobrixBench.start = performance.now();
  const observer = new MutationObserver(() => {
    const out = document.getElementById(tool + '-out');
    if (out && out.dataset.code !== undefined) {
      window.quobrixBench.end = performance.now();
      observer.disconnect();
    }
  });
  observer.observe(box, {childList: true, subtree: true, characterData: true, attributes: true});
}, {capture: true, once: true});
"""

# The module alone: a second instance in the page, the same compiled code.
MEMORY_CRC = """
const [size, runs, done] = arguments;
(async () => {
  const base64 = document.getElementById('quobrix-wasm').textContent.trim();
  const deflated = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
  const inflated = new Blob([deflated]).stream().pipeThrough(new DecompressionStream('deflate-raw'));
  const module = await WebAssembly.compile(await new Response(inflated).arrayBuffer());
  const factory = new Function(document.getElementById('quobrix-glue').textContent + '\\nreturn QuobrixModule;')();
  const m = await factory({instantiateWasm(imports, ready) {
    WebAssembly.instantiate(module, imports).then((instance) => ready(instance, module));
    return {};
  }});
  const at = m._malloc(size);
  let x = 12345;
  const heap32 = new Uint32Array(m.HEAPU8.buffer, at, size / 4);
  for (let i = 0; i < heap32.length; ++i) { x ^= x << 13; x ^= x >>> 17; x ^= x << 5; heap32[i] = x; }
  const name = new TextEncoder().encode('CRC-32/ISO-HDLC');
  const nameAt = m._malloc(name.length);
  m.HEAPU8.set(name, nameAt);
  const times = [];
  for (let r = 0; r < runs; ++r) {
    m._quobrix_crc_begin(nameAt, name.length, 0);
    const start = performance.now();
    m._quobrix_crc_update(at, size);
    times.push(performance.now() - start);
  }
  done(times);
})().catch((e) => done(String(e)));
"""


class Page:
    def __init__(self, page):
        self.url = pathlib.Path(page).resolve().as_uri()
        self.driver = start_browser()
        self.driver.set_script_timeout(WAIT_SECONDS)

    def wait(self, condition, what):
        WebDriverWait(self.driver, WAIT_SECONDS).until(lambda d: condition(), message=what)

    def open(self):
        self.driver.get("about:blank")
        self.driver.get(self.url)
        self.wait(lambda: self.driver.execute_script("return document.body.dataset.ready") == "true", "ready")

    def timed(self, start_id, start_event, tool, act):
        self.driver.execute_script(WATCH_RESULT, start_id, start_event, tool)
        act()
        self.wait(lambda: self.driver.execute_script("return window.quobrixBench.end !== undefined"),
                  "the result of " + tool)
        times = self.driver.execute_script("return window.quobrixBench")
        return times["end"] - times["start"]

    def result(self, tool):
        return self.driver.execute_script("return document.getElementById(arguments[0] + '-out').textContent", tool)


def ready_times(page):
    page.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": READY_OBSERVER})
    times = []
    for _ in range(READY_RUNS):
        page.open()
        page.wait(lambda: page.driver.execute_script("return window.quobrixBenchReadyAt !== undefined"), "ready")
        times.append(page.driver.execute_script("return window.quobrixBenchReadyAt"))
    return times


def file_times(page, folder):
    path = os.path.abspath(os.path.join(folder, "page-256m.bin"))
    rng, crc = random.Random(23), 0
    with open(path, "wb") as f:
        for _ in range(FILE_BYTES >> 24):
            data = rng.randbytes(1 << 24)
            crc = zlib.crc32(data, crc)
            f.write(data)
    expected = "%08X  page-256m.bin\n" % crc
    times = []
    try:
        for _ in range(FILE_RUNS):
            page.open()
            page.driver.find_element(By.ID, "tab-file").click()
            Select(page.driver.find_element(By.ID, "file-model")).select_by_value("CRC-32/ISO-HDLC")
            element = page.driver.find_element(By.ID, "file-input")
            times.append(page.timed("file-input", "change", "file", lambda: element.send_keys(path)))
            if page.result("file") != expected:
                sys.exit("page_bench: the page's CRC of the file is %r, zlib's %r" % (page.result("file"), expected))
    finally:
        os.remove(path)
    return times


# When the Download is ready, from the start WATCH_RESULT noted; the Blob's
# size and its last line.
DOWNLOAD_END = """
const [tool, done] = arguments;
const button = document.getElementById(tool + '-download');
const report = (at) => {
  const blob = document.querySelector(`.result[data-for="${tool}"]`).download.blob;
  blob.slice(-64).text().then((tail) => done([at - window.quobrixBench.start, blob.size, tail]),
                              (e) => done([0, -1, String(e)]));
};
if (!button.disabled) {
  report(window.quobrixBench.end);
} else {
  new MutationObserver((_, observer) => {
    if (button.disabled) return;
    observer.disconnect();
    report(performance.now());
  }).observe(button, {attributes: true, attributeFilter: ['disabled']});
}
"""


def c_array_size(size, per_line=12):
    """The length of the elements' lines of `quobrix array` for `size`
    bytes, as xxd -i lays them out: "0xNN", ", " between two on a line, ","
    and a line feed between lines, each line indented by two."""
    lines = -(-size // per_line)
    return size * 4 + (size - lines) * 2 + (lines - 1) * 2 + lines * 2


def array_times(page, folder):
    path = os.path.abspath(os.path.join(folder, "page-array-64m.bin"))
    with open(path, "wb") as f:
        f.write(random.Random(29).randbytes(ARRAY_BYTES))
    times, blob_times = [], []
    try:
        for _ in range(ARRAY_RUNS):
            page.open()
            page.driver.find_element(By.ID, "tab-array").click()
            element = page.driver.find_element(By.ID, "array-file")
            times.append(page.timed("array-file", "change", "array", lambda: element.send_keys(path)))
            blob_time, size, tail = page.driver.execute_async_script(DOWNLOAD_END, "array")
            blob_times.append(blob_time)
            head = len("const unsigned char page_array_64m_bin[] = {\n")
            end = len("\n};\nconst unsigned int page_array_64m_bin_len = %d;\n" % ARRAY_BYTES)
            if size != head + c_array_size(ARRAY_BYTES) + end or not tail.endswith("_len = %d;\n" % ARRAY_BYTES):
                sys.exit("page_bench: the page's array of the file is %d bytes ending %r" % (size, tail))
    finally:
        os.remove(path)
    return times, blob_times


def find_times(page, frames_path, runs):
    with open(frames_path) as f:
        frames = f.read().strip()
    page.open()
    page.driver.find_element(By.ID, "tab-find").click()
    page.driver.execute_script("document.getElementById('find-frames').value = arguments[0]", frames)
    times = []
    for _ in range(runs):
        times.append(page.timed("find-run", "click", "find",
                                lambda: page.driver.find_element(By.ID, "find-run").click()))
    return times, page.result("find")


def main():
    if len(sys.argv) != 4:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    page_path, folder, out = sys.argv[1:]
    page = Page(page_path)
    try:
        results = {"size_bytes": os.path.getsize(page_path), "file_bytes": FILE_BYTES}
        print("page_bench: ready", file=sys.stderr)
        results["ready"] = ready_times(page)
        print("page_bench: find", file=sys.stderr)
        results["find_hit"], _ = find_times(page, os.path.join(folder, "frames-hit.txt"), FIND_RUNS)
        results["find_crc32"], found = find_times(page, os.path.join(folder, "frames-crc32.txt"), FIND_RUNS)
        with open(os.path.join(folder, "find-crc32.expected")) as f:
            results["find_crc32_recovered"] = f.read().strip() in found
        print("page_bench: CRC in memory", file=sys.stderr)
        page.open()
        memory = page.driver.execute_async_script(MEMORY_CRC, 64 << 20, MEMORY_RUNS)
        if isinstance(memory, str):
            sys.exit("page_bench: " + memory)
        results["memory_crc"], results["memory_bytes"] = memory, 64 << 20
        print("page_bench: a 256 MiB file", file=sys.stderr)
        results["file_crc"] = file_times(page, folder)
        print("page_bench: the C array of a 64 MiB file", file=sys.stderr)
        results["array_file"], results["array_blob"] = array_times(page, folder)
        results["array_bytes"] = ARRAY_BYTES
    finally:
        page.driver.quit()
    with open(out, "w") as f:
        json.dump(results, f, indent=1)
    for key in ("ready", "find_hit", "find_crc32", "memory_crc", "file_crc", "array_file", "array_blob"):
        print("page_bench: %s median %.1f ms" % (key, statistics.median(results[key])), file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
