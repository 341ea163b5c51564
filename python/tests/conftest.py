"""Shared helpers: where the checkout and the built programs are, and
tesk31 run on a data file with its DIF table read back."""
import os
import pathlib
import subprocess

import numpy as np
import pytest

import brenlow

ROOT = pathlib.Path(__file__).resolve().parents[2]
EXAMPLES = sorted((ROOT / "examples").glob("*.dat"))
EXAMPLE = ROOT / "examples" / "example.dat"  # the manual's line
FLAT = ROOT / "examples" / "500kv_flat.dat"  # make run's line
# Lines the engine's own tests hold beside the examples (an AC and DC line).
TEST_LINES = sorted((ROOT / "tests" / "data" / "engine").glob("*.dat"))

# The combined report's columns after the distance, as the DIF file holds them.
DIF_COLUMNS = ["an_rain", "an_fair", "ri_rain", "ri_fair", "tv", "ozone", "e", "b"]


def program_path(name):
    """A program built beside the module (build/NAME), or $NAME in capitals."""
    variable = name.upper().replace("-", "_")
    path = pathlib.Path(os.environ.get(variable, pathlib.Path(brenlow.__file__).parent.parent / name))
    if not path.is_file():
        pytest.fail(f"{name} is not built at {path} (make python builds it)")
    return path


def tesk31_path():
    return program_path("tesk31")


def read_dif(path):
    """The tuples of a DIF file as float32 rows: every value as written,
    which for a float32 (16 significant digits) is its exact value."""
    rows, row = [], None
    lines = path.read_bytes().decode("latin-1").splitlines()
    for kind, value in zip(lines, lines[1:]):
        if kind == "-1,0" and value == "BOT":
            row = []
            rows.append(row)
        elif kind.startswith("0,") and value == "V" and row is not None:
            row.append(np.float32(float(kind[2:])))
    return np.array(rows, dtype=np.float32)


def run_tesk31(data_file, tmp_path):
    """Runs tesk31 on a data file (every report) and returns its DIF table."""
    text = pathlib.Path(data_file).read_bytes().decode("latin-1").splitlines()
    text[3] = " ALL"  # the report options record: the DIF file needs COMB
    work = tmp_path / "run.dat"
    work.write_bytes(("\r\n".join(text) + "\r\n").encode("latin-1"))
    result = subprocess.run([str(tesk31_path()), str(work), str(tmp_path / "run.prt"), str(tmp_path / "run.dif")],
                            capture_output=True, cwd=tmp_path, timeout=120)
    assert result.returncode == 0, result.stderr.decode("latin-1")
    return read_dif(tmp_path / "run.dif")


def same_bits(a, b):
    """Equal float32 bit for bit; any NaN matches any NaN (a DIF file
    writes NaN without its sign)."""
    a, b = np.asarray(a, dtype=np.float32), np.asarray(b, dtype=np.float32)
    if a.shape != b.shape:
        return False
    nan = np.isnan(a)
    return bool(np.array_equal(nan, np.isnan(b)) and np.array_equal(a[~nan].view(np.uint32), b[~nan].view(np.uint32)))
