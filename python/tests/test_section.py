"""Cross sections built in Python: the same as read from the data file,
changed in place as Python objects are, shown by their reprs."""
import copy
import os
import pathlib
import pickle
import pprint
import subprocess
import sys

import numpy as np
import pytest

import brenlow
from conftest import EXAMPLE, FLAT, ROOT, same_bits


def example_line():
    """examples/example.dat, built in Python."""
    phase = dict(subconductors=3, diameter=30.0, spacing=45.0, kv=303.0, ka=1.0)
    return brenlow.CrossSection(
        [brenlow.Group("PHASE A", x=-12.0, y=15.0, phase=0.0, **phase),
         brenlow.Group("PHASE B", x=0.0, y=15.0, phase=120.0, **phase),
         brenlow.Group("PHASE C", x=12.0, y=15.0, phase=240.0, **phase),
         brenlow.Group("EARTH 1", ac=False, x=-9.0, y=25.0, diameter=11.0),
         brenlow.Group("EARTH 2", ac=False, x=9.0, y=25.0, diameter=11.0)],
        energized=3, titles=(" 500 KV EXAMPLE LINE", " FLAT CONFIGURATION, TWO EARTH WIRES"),
        options=" AN RI TV OZ CL EF MF COMB", points=[(21, -50.0, 5.0)],
        rain=1.0, altitude=300.0, an_height=1.5, ri_height=2.0, tv_height=10.0, oz_height=1.0,
        ri_frequency=1.0, tv_frequency=75.0, mf_height=1.0, ground_conductivity=10.0, ef_height=1.0)


def flat_line():
    """examples/500kv_flat.dat, built in Python: values such as 30.4 mm and
    303.1 kV are held in single precision, as the reader holds them."""
    phase = dict(subconductors=3, diameter=30.4, spacing=45.0, kv=303.1, ka=2.0)
    conditions = brenlow.Conditions(wind=2.0, rain=1.0, altitude=300.0, an_height=1.5, ri_height=2.0,
                                    tv_height=10.0, oz_height=1.0, ri_frequency=1.0, tv_frequency=75.0,
                                    mf_height=1.0, ground_conductivity=10.0, ef_height=1.0)
    line = brenlow.CrossSection(
        titles=(" 500 KV SINGLE CIRCUIT FLAT LINE, 525 KV MAXIMUM OPERATING VOLTAGE",
                " 3 X 30.4 MM SUBCONDUCTORS AT 45 CM PER PHASE, TWO EARTH WIRES"),
        conditions=conditions, options=" ALL")
    line.groups = [brenlow.Group("PHASE A", x=-10.5, y=15.0, phase=0.0, **phase),
                   brenlow.Group("PHASE B", x=0.0, y=15.0, phase=-120.0, **phase),
                   brenlow.Group("PHASE C", x=10.5, y=15.0, phase=120.0, **phase)]
    for x in (-7.6, 7.6):
        line.groups.append(brenlow.Group(f"EARTH {1 + (x > 0)}", x=x, y=25.0, diameter=11.0))
    line.points.append(brenlow.PointGroup(25, -60.0, 5.0))
    line.energized = 3  # said once the groups are there
    return line


@pytest.mark.parametrize("build, name", [(example_line, "example.dat"), (flat_line, "500kv_flat.dat")])
def test_built_in_python_equals_read_from_the_data_file(build, name, tmp_path):
    read = brenlow.read_data_file(ROOT / "examples" / name)
    built = build()
    assert built == read
    profile, expected = built.profile(built.lateral_points()), read.profile(read.lateral_points())
    assert all(same_bits(profile[q], expected[q]) for q in expected)
    # Written and read back, the built line is the same again.
    built.write(tmp_path / "built.dat")
    assert brenlow.read_data_file(tmp_path / "built.dat") == read
    assert brenlow.parse_data_file(built.data_file_text()) == read


def test_changes_in_place_reach_the_evaluation_and_copies_stay_apart():
    line = brenlow.read_data_file(FLAT)
    original = line.copy()
    shallow, deep = copy.copy(line), copy.deepcopy(line)
    for group in line.groups:
        group.y += 2.0
    line.conditions.rain = 5.0
    line.points[0].count = 3
    assert line != original and shallow == original and deep == original
    assert line.groups[0].y == original.groups[0].y + 2.0
    assert len(line.lateral_points()) == 3
    higher, lower = line.profile([0.0]), original.profile([0.0])
    assert higher.e < lower.e and higher.an_rain != lower.an_rain
    # A group removed and put back, a group copied.
    earth = line.groups.pop()
    assert line != original.copy()
    line.groups.append(earth.copy())
    assert line.groups[-1] == earth and line.groups[-1] is not earth


def test_sections_pickle_for_other_processes():
    line = brenlow.read_data_file(FLAT)
    line.groups[0].name = "PHASE \u00c5"  # a Latin-1 name, as a data file may hold
    line.english = True
    again = pickle.loads(pickle.dumps(line))
    assert again == line and again.groups[0].name == "PHASE \u00c5" and again.english
    assert all(same_bits(again.profile([0.0, 30.0])[q], line.profile([0.0, 30.0])[q]) for q in ("e", "b", "tv"))
    for value in (line.groups[1], line.conditions, line.points[0]):
        assert pickle.loads(pickle.dumps(value)) == value


def test_values_are_held_in_single_precision():
    g = brenlow.Group("A", diameter=30.4, x=0.1)
    assert g.diameter == float(np.float32(30.4)) and g.x == float(np.float32(0.1))
    g.kv = 303.1
    assert g.kv == float(np.float32(303.1))
    assert brenlow.Conditions(rain=0.3).rain == float(np.float32(0.3))
    assert brenlow.PointGroup(3, 0.1, 0.2).step == float(np.float32(0.2))


def test_reprs_show_what_is_in_them():
    line = brenlow.read_data_file(FLAT)
    text = repr(line)
    for part in ["500 KV SINGLE CIRCUIT FLAT LINE", "3 energized of 5 groups", "metric", "wind 2.0 m/s",
                 "PHASE A", "EARTH 2", "earth", "303.10", "25 from -60.0 m step 5.0 m"]:
        assert part in text, part
    # Group, Conditions and PointGroup reprs read back as the same values.
    namespace = {name: getattr(brenlow, name) for name in ("Group", "Conditions", "PointGroup")}
    for value in [line.groups[0], line.groups[4], line.conditions, line.points[0], brenlow.Group("X'Y", kv=-0.1)]:
        assert eval(repr(value), namespace) == value, repr(value)
    # pprint, as notebooks use it on results holding sections.
    assert "PHASE A" in pprint.pformat({"line": line, "groups": line.groups, "conditions": line.conditions})
    profile = line.profile(np.linspace(-60, 60, 30))
    lines = repr(profile).splitlines()
    assert lines[0] == "Table(profile, 30 rows)" and "an_rain" in lines[1] and "(kV/m)" in lines[2]
    assert "..." in repr(profile) and len(lines) == 1 + 2 + 10 + 1


def test_table_is_read_by_name_and_as_a_data_frame():
    line = brenlow.read_data_file(FLAT)
    profile = line.profile([0.0, 10.0], quantities=["b", "e"])
    assert list(profile) == ["x", "b", "e"] and "e" in profile and "tv" not in profile
    assert profile["e"] is profile.e and profile.units["b"] == "uT"
    with pytest.raises(KeyError):
        profile["tv"]
    with pytest.raises(AttributeError):
        profile.tv
    pandas = pytest.importorskip("pandas")
    frame = profile.to_frame()
    assert isinstance(frame, pandas.DataFrame) and list(frame.columns) == ["x", "b", "e"]
    assert same_bits(frame["e"].to_numpy(), profile.e) and frame.attrs["units"]["e"] == "kV/m"
    grid = line.at(*np.meshgrid([0.0, 5.0, 10.0], [1.0, 2.0])).to_frame()
    assert len(grid) == 6 and grid["y"].tolist() == [1, 1, 1, 2, 2, 2]


def test_to_frame_without_pandas_says_so():
    # pandas is optional: the module works without it, and to_frame says what is missing.
    code = ("import sys; sys.modules['pandas'] = None\n"
            "import brenlow\n"
            "line = brenlow.read_data_file(sys.argv[1])\n"
            "p = line.profile([0.0])\n"
            "try:\n    p.to_frame()\nexcept ImportError as e:\n    print(e)\n")
    result = subprocess.run([sys.executable, "-c", code, str(FLAT)], capture_output=True, text=True,
                            env=dict(os.environ, PYTHONPATH=str(pathlib.Path(brenlow.__file__).parent)))
    assert result.returncode == 0, result.stderr
    assert "to_frame needs pandas" in result.stdout


def test_fields_at_points_broadcast_and_scalars_give_scalars():
    line = brenlow.read_data_file(FLAT)
    one = line.at(20.0, 1.0)
    assert np.ndim(one.e) == 0 and isinstance(one.b, np.float32)
    x, y = np.meshgrid(np.linspace(-30, 30, 7), [0.5, 1.0, 3.0])
    grid = line.at(x, y)
    assert grid.e.shape == (3, 7) and grid.potential.shape == (3, 7)
    assert grid.e[1, 5] == line.at(x[1, 5], 1.0).e
    assert same_bits(line.at([0.0, 10.0], 1.0).b, line.at([0.0, 10.0], [1.0, 1.0]).b)
    assert {"e_direction", "e_vertical_phase", "b_horizontal"} <= set(grid)
    with pytest.raises(ValueError):
        line.at([0.0, 1.0, 2.0], [1.0, 2.0])
