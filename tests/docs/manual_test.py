#!/usr/bin/env python3
"""Keeps the manual honest: every command shown in a `console` block of the
manual (docs/*.md and README.md) runs, in order, one folder per page, with
the built programs on the path and the examples beside it; the lines shown
under a command appear in its output, in order; every example data file and
every picture the manual names exists.

    manual_test.py REPOSITORY BUILD_FOLDER

A command ending in `# status N` must end with status N, every other with 0.
"""
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

STATUS = re.compile(r"\s+#\s*status\s+(\d+)\s*$")


def console_blocks(text):
    """The console blocks of a page: lists of (command, expected lines)."""
    for block in re.findall(r"^```console\n(.*?)^```", text, re.S | re.M):
        steps = []
        for line in block.splitlines():
            if line.startswith("$ "):
                steps.append((line[2:], []))
            elif steps and line.strip():
                steps[-1][1].append(line.rstrip())
        yield steps


def shown_in_order(expected, output):
    """True when every expected line is an output line, in the same order."""
    lines = iter(line.rstrip() for line in output.splitlines())
    return all(any(line == want for line in lines) for want in expected)


def check_page(page, root, build, failures):
    text = page.read_text(encoding="utf-8")
    for name in re.findall(r"\bexamples/([\w.+-]+\.dat)\b", text):
        if not (root / "examples" / name).is_file():
            failures.append(f"{page.name}: names examples/{name}, which does not exist")
    for target in re.findall(r"!\[[^\]]*\]\(([^)\s]+)\)", text):
        if not (page.parent / target).is_file():
            failures.append(f"{page.name}: shows the picture {target}, which does not exist")
    steps = [step for block in console_blocks(text) for step in block]
    if not steps:
        return 0
    work = pathlib.Path(tempfile.mkdtemp(prefix="brenlow-manual-"))
    try:
        (work / "examples").symlink_to(root / "examples")
        env = dict(os.environ, PATH=f"{build}{os.pathsep}{os.environ.get('PATH', '')}", LC_ALL="C.UTF-8")
        for command, expected in steps:
            match = STATUS.search(command)
            want = int(match.group(1)) if match else 0
            run = subprocess.run(["bash", "-c", command], cwd=work, env=env, capture_output=True,
                                 stdin=subprocess.DEVNULL, timeout=300)
            output = (run.stdout + run.stderr).decode("latin-1")
            if run.returncode != want:
                failures.append(f"{page.name}: `{command}` ended with status {run.returncode}, not {want}:\n{output}")
            elif not shown_in_order(expected, output):
                failures.append(f"{page.name}: `{command}` does not print what the manual shows:\n"
                                + "\n".join(expected) + "\n--- it printed:\n" + output)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return len(steps)


def main():
    root, build = pathlib.Path(sys.argv[1]).resolve(), pathlib.Path(sys.argv[2]).resolve()
    pages = sorted((root / "docs").glob("*.md")) + [root / "README.md"]
    failures = []
    commands = sum(check_page(page, root, build, failures) for page in pages)
    for failure in failures:
        print(failure, file=sys.stderr)
    print(f"{len(pages)} pages, {commands} commands, {len(failures)} failures")
    return 1 if failures or commands == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
