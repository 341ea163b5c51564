"""The interpreter exits cleanly while a search or a span's solve runs in
a thread: the exit stops the work and waits for it, whether the thread is a
daemon (the interpreter does not wait for it) or Ctrl-C breaks the
interpreter's wait for it. Each a child process, many times over: the crash this guards
against (a thread ended inside the engine) came in most runs, not all."""
import os
import pathlib
import subprocess
import sys
import tempfile

import pytest

import brenlow
from conftest import FLAT

if not hasattr(brenlow, "phasing"):
    pytest.skip("the module was built without the studies", allow_module_level=True)

TESTS = pathlib.Path(__file__).parent

CHILD = """
import os, signal, sys, threading, time
sys.path[:0] = [{module!r}, {tests!r}]
import brenlow
from test_studies import AT, circuits, towers

started = threading.Event()

def search():
    started.set()
    # Minutes of work unless stopped; a span's solve, seconds.
    if {span}:
        brenlow.Span(brenlow.read_data_file({flat!r}), length=300, sag=9, elements=400)
    else:
        brenlow.phasing(towers(4), circuits(8), "OZ", AT, threads=1, time_limit=1e6)

thread = threading.Thread(target=search, daemon={daemon})
thread.start()
started.wait()
time.sleep(0.2)
if {ctrl_c}:
    threading.Timer(0.2, lambda: os.kill(os.getpid(), signal.SIGINT)).start()
print("exiting", flush=True)
"""


@pytest.mark.parametrize("run", range(7))
@pytest.mark.parametrize("how", ["daemon thread", "Ctrl-C while waiting for the thread", "daemon thread, span"])
def test_the_interpreter_exits_cleanly_while_a_search_runs(how, run):
    code = CHILD.format(module=str(pathlib.Path(brenlow.__file__).parent), tests=str(TESTS), flat=str(FLAT),
                        daemon=how != "Ctrl-C while waiting for the thread",
                        ctrl_c=how == "Ctrl-C while waiting for the thread", span=how.endswith("span"))
    with tempfile.TemporaryDirectory() as work:
        child = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=120, cwd=work,
                               env=dict(os.environ, PYTHONDONTWRITEBYTECODE="1"))
    assert child.stdout == "exiting\n"
    assert "terminate" not in child.stderr and "Fatal" not in child.stderr, child.stderr
    assert child.returncode == 0, child.stderr
