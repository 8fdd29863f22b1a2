"""What the page's tests read back, in any browser: the command a tool's
result shows, and the result itself as the command line would give it
(exit status, standard output, standard error); and the command line's own
answer to compare it with."""
import os
import shlex
import subprocess

# The command shown over a tool's result, or null before the first.
SHOWN_COMMAND = ("const c = document.querySelector(`.result[data-for='${arguments[0]}'] .command code`);"
                 "return c && c.textContent;")
# The result under it.
SHOWN_RESULT = ("const o = document.getElementById(arguments[0] + '-out');"
                "return [Number(o.dataset.code), o.textContent,"
                " document.getElementById(arguments[0] + '-err').textContent];")


def command_line(words):
    """`quobrix WORDS` as the page shows it: as a shell would take it."""
    return "quobrix " + " ".join(shlex.quote(word) for word in words)


def shown(run_script, wait, tool, words):
    """Waits until `tool` shows the result of `quobrix WORDS`, then returns
    it. `run_script(source, *args)` runs a script in the page; `wait(condition,
    what)` waits, bounded, for a condition."""
    command = command_line(words)
    wait(lambda: run_script(SHOWN_COMMAND, tool) == command, "the page shows " + command)
    return tuple(run_script(SHOWN_RESULT, tool))


def cli(quobrix, args, cwd=None, env=None):
    """What the program prints: exit status, standard output and error as
    text; in English (LC_ALL=C), or in the locale `env`'s variables set."""
    base = {k: v for k, v in os.environ.items() if k not in ("LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG")}
    done = subprocess.run([quobrix] + args, capture_output=True, cwd=cwd, timeout=60, check=False,
                          env={**base, **(env or {"LC_ALL": "C"})})
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")
