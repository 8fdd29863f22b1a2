"""The workbench window's face of the corpus, under Wine: the real window
(QuobrixWorkbench.exe) driven by tests/window/workbench_corpus_driver.cpp,
which starts it once and puts every case that names a page ("window")
through that page's controls.

    run_sample(driver_command, cases, work_folder)

driver_command runs the driver in a Wine session, all but its --cases and
--out, e.g.

    [".../scripts/wine-session", ".../workbench_corpus_driver.exe",
     "--app=.../QuobrixWorkbench.exe"]

It returns, for each case that has "window", what the page showed:
    {"command": str, "out": bytes, "messages": bytes}
("table": bytes too for the Printf page), or {"error": str} for a case the
page's controls cannot express (a list without the line, a box that does
not keep the value) or whose run did not end. The bytes are UTF-8, as the
driver converted the window's UTF-16.
"""
import json
import pathlib
import subprocess


class WineWindowError(Exception):
    """The driver could not be run, or left cases without an answer."""


def _case_line(case):
    form = case["window"]
    words = [case["name"], form["page"], form["job"]]
    for word in words:
        if "\t" in word or "\n" in word or "\r" in word:
            raise WineWindowError("%s: a tab or line break in %r" % (case["name"], word))
    for key, value in form["fields"].items():
        if "=" in key or "\t" in key or "\n" in key:
            raise WineWindowError("%s: key %r" % (case["name"], key))
        words.append("%s=%s" % (key, value.encode("utf-8").hex()))
    return "\t".join(words) + "\n"


def _batches(cases):
    """The cases in runs whose files do not clash: each run's folder is the
    window's working directory, and there a file's name holds one content."""
    batches = []
    for case in cases:
        file = case.get("file")
        for batch in batches:
            if not file or batch["files"].get(file["name"], file["hex"]) == file["hex"]:
                break
        else:
            batch = {"cases": [], "files": {}}
            batches.append(batch)
        batch["cases"].append(case)
        if file:
            batch["files"][file["name"]] = file["hex"]
    return batches


def _parse_answers(text):
    answers = {}
    for line in text.splitlines():
        if not line.strip():
            continue
        answer = json.loads(line)
        name = answer.pop("name")
        if "error" in answer:
            answers[name] = {"error": answer["error"]}
            continue
        shown = {"command": answer["command"], "out": bytes.fromhex(answer["out_hex"]),
                 "messages": bytes.fromhex(answer["messages_hex"])}
        if "table_hex" in answer:
            shown["table"] = bytes.fromhex(answer["table_hex"])
        answers[name] = shown
    return answers


def run_sample(driver_command, cases, work_folder, timeout=900):
    """Every case with "window" through the window: one run of the driver,
    or one more for each file whose name another case gives other bytes."""
    cases = [case for case in cases if "window" in case]
    answers = {}
    for number, batch in enumerate(_batches(cases)):
        folder = pathlib.Path(work_folder, "window-run-%d" % number)
        folder.mkdir(parents=True, exist_ok=True)
        for name, hex_bytes in batch["files"].items():
            (folder / name).write_bytes(bytes.fromhex(hex_bytes))
        cases_file = folder / "cases.txt"
        out_file = folder / "answers.jsonl"
        cases_file.write_bytes("".join(_case_line(case) for case in batch["cases"]).encode("utf-8"))
        command = [*driver_command, "--cases=%s" % cases_file.resolve(), "--out=%s" % out_file.resolve()]
        try:
            done = subprocess.run(command, capture_output=True, cwd=folder, timeout=timeout)
        except subprocess.TimeoutExpired:
            raise WineWindowError("the driver did not end within %d s" % timeout)
        got = _parse_answers(out_file.read_text("utf-8")) if out_file.exists() else {}
        missing = [case["name"] for case in batch["cases"] if case["name"] not in got]
        if done.returncode != 0 or missing:
            raise WineWindowError("the driver exited %d with %d cases unanswered (first %s): %s" % (
                done.returncode, len(missing), missing[:1], done.stderr.decode("utf-8", "replace").strip()))
        answers.update(got)
    return answers
