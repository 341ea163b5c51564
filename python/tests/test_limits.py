"""brenlow.comply: the limits library's table from Python, the same numbers
as tesk31-study comply, limits that do not apply, refused requests."""
import csv
import subprocess

import numpy as np
import pytest

import brenlow
from conftest import EXAMPLE, ROOT, program_path

BIPOLE = ROOT / "examples" / "500kv_dc_bipole.dat"


def test_the_shipped_sets():
    assert brenlow.limit_sets() == ["florida", "icnirp-1998", "icnirp-2010", "ieee-c95.6-2002", "minnesota",
                                    "new-york"]


def test_the_same_numbers_as_the_study(tmp_path):
    section = brenlow.read_data_file(EXAMPLE)
    table = brenlow.comply(section, "florida", 30.0)
    out = tmp_path / "c.csv"
    run = subprocess.run([program_path("tesk31-study"), "comply", str(EXAMPLE), "--limits", "florida", "--edge", "30",
                          "--csv", str(out)], capture_output=True, text=True)
    assert run.returncode == 1, run.stderr
    rows = list(csv.DictReader(out.open(newline="")))
    assert len(rows) == len(table["result"])
    for i, row in enumerate(rows):
        assert row["result"] == table["result"][i]
        assert row["quantity"] == table["quantity"][i]
        assert float(row["limit"]) == pytest.approx(table["limit"][i], rel=1e-6)
        if row["result"] == "N/A":
            assert np.isnan(table["value"][i]) and np.isnan(table["margin"][i])
            assert table["reason"][i]
        else:
            assert float(row["value"]) == pytest.approx(table["value"][i], rel=1e-6)
            assert float(row["x (m)"]) == pytest.approx(table["x"][i], abs=1e-4)
    assert list(table["line_frequency"]) == [60.0] * len(rows)
    assert set(table["margin_unit"]) == {"ratio"}


@pytest.mark.parametrize("limits, edge, frequency, results", [
    ("ieee-c95.6-2002", 30.0, 60, ["PASS", "PASS", "PASS"]),
    ("icnirp-2010", (-30.0, 30.0), 50, ["FAIL", "N/A", "PASS", "N/A"]),  # E 5.365 kV/m above 5 kV/m
    ("minnesota", (-10.0, 40.0), 60, ["PASS"]),
])
def test_results_by_set_and_frequency(limits, edge, frequency, results):
    table = brenlow.comply(brenlow.read_data_file(EXAMPLE), limits, edge, frequency=frequency)
    assert list(table["result"]) == results


def test_a_dc_line_against_power_frequency_limits_is_not_applicable():
    table = brenlow.comply(brenlow.read_data_file(BIPOLE), "icnirp-1998", 40.0)
    assert set(table["result"]) == {"N/A"}
    assert all("no AC phases" in reason for reason in table["reason"])


def test_a_users_set_file_and_b_in_milligauss(tmp_path):
    path = tmp_path / "mine.toml"
    path.write_text('[[limit]]\nquantity = "B"\nvalue = 0.5\nunit = "uT"\nwhere = "edge"\nfrequency = 60\n')
    section = brenlow.read_data_file(EXAMPLE)
    ut = brenlow.comply(section, path, 30.0)
    mg = brenlow.comply(section, str(path), 30.0, b_unit="mG")
    assert ut["result"][0] == "FAIL" and mg["result"][0] == "FAIL"
    assert mg["limit"][0] == pytest.approx(5.0)
    assert mg["value"][0] == pytest.approx(10 * ut["value"][0], rel=1e-6)
    assert mg.units["x"] == "m"


def test_a_data_frame_where_pandas_is_installed():
    pandas = pytest.importorskip("pandas")
    frame = brenlow.comply(brenlow.read_data_file(EXAMPLE), "florida", 30.0).to_frame()
    assert isinstance(frame, pandas.DataFrame)
    assert list(frame["result"]) == ["FAIL", "N/A", "PASS", "N/A", "PASS"]


@pytest.mark.parametrize("kwargs, error, message", [
    (dict(limits="no-such-set", edge=30.0), brenlow.Error, "neither a limit set shipped"),
    (dict(limits="florida", edge=0.0), ValueError, "must be above 0"),
    (dict(limits="florida", edge=(30.0, -30.0)), brenlow.Error, "right edge must lie right"),
    (dict(limits="florida", edge=(1.0, 2.0, 3.0)), ValueError, "a pair"),
    (dict(limits="florida", edge="30"), TypeError, "not a str"),
    (dict(limits="florida", edge=30.0, frequency=55), ValueError, "50 or 60"),
    (dict(limits="florida", edge=30.0, b_unit="T"), ValueError, ""),
    (dict(limits="florida", edge=float("nan")), ValueError, ""),
])
def test_refused(kwargs, error, message):
    with pytest.raises(error, match=message):
        brenlow.comply(brenlow.read_data_file(EXAMPLE), **kwargs)
