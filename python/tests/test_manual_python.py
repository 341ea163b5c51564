"""The manual's Python page runs as it stands: the one-line command and
the notebook session, which draws its picture."""
import os
import pathlib
import re
import shutil
import subprocess
import sys

import pytest

import brenlow
from conftest import ROOT

MODULE_DIR = pathlib.Path(brenlow.__file__).parent


def python_section():
    return (ROOT / "docs" / "python.md").read_text()


def test_the_one_line_command_runs():
    command = re.search(r"^    (PYTHONPATH=build/python /usr/bin/python3 -c .*)$", python_section(), re.M).group(1)
    code = re.search(r'-c "(.*)"$', command).group(1)
    result = subprocess.run([sys.executable, "-c", code], cwd=ROOT, capture_output=True, text=True,
                            env=dict(os.environ, PYTHONPATH=str(MODULE_DIR)))
    assert result.returncode == 0, result.stderr
    assert result.stdout.startswith("Table(profile, 3 rows)")


def test_the_notebook_session_runs_and_draws(tmp_path):
    pytest.importorskip("matplotlib")
    session = re.search(r"```python\n(.*?)```", python_section(), re.S).group(1)
    shutil.copytree(ROOT / "examples", tmp_path / "examples")
    result = subprocess.run([sys.executable, "-c", session], cwd=tmp_path, capture_output=True, text=True,
                            env=dict(os.environ, PYTHONPATH=str(MODULE_DIR)))
    assert result.returncode == 0, result.stderr
    out = result.stdout
    assert "500 KV EXAMPLE LINE" in out and "PHASE C" in out
    before, after = map(float, re.search(r"largest E: ([\d.]+) -> ([\d.]+) kV/m", out).groups())
    assert after < before  # higher conductors, a weaker field on the ground
    before, after = map(float, re.search(r"largest B: ([\d.]+) -> ([\d.]+) uT", out).groups())
    assert after < before
    picture = tmp_path / "python_profile.png"
    assert picture.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
