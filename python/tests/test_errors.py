"""What the engine refuses raises brenlow.Error, a ValueError, with the
engine's message; what Python gets wrong raises TypeError or ValueError
naming the argument."""
import subprocess

import pytest

import brenlow
from conftest import EXAMPLE, FLAT, tesk31_path



def change_record(record, old, new):
    def change(lines):
        assert old in lines[record]
        lines[record] = lines[record].replace(old, new)
        return lines
    return change


BAD_FILES = [
    # (case, change of example.dat's records, what the message holds)
    ("ends early", lambda lines: lines[:4], ["record 5", "End of file"]),
    ("bad real number", change_record(5, "303.000", "3O3.000"), ["record 6", "Bad real number"]),
    ("no subconductors", change_record(5, " 3,  30.000", " 0,  30.000"),
     ["ERROR-INVALID DATA IN INPUT FILE", "group 1 PHASE A: number of subconductors must be at least 1"]),
    ("too many points", change_record(10, "  21,", " 200,"), ["ERROR-TOO MANY DISTANCE POINTS"]),
]


@pytest.mark.parametrize("case, change, parts", BAD_FILES, ids=[c[0] for c in BAD_FILES])
def test_a_bad_data_file_gives_the_readers_message(case, change, parts, tmp_path):
    lines = change(EXAMPLE.read_text(encoding="latin-1").splitlines())
    path = tmp_path / "bad.dat"
    path.write_text("\n".join(lines) + "\n", encoding="latin-1")
    with pytest.raises(brenlow.Error) as raised:
        brenlow.read_data_file(path)
    message = str(raised.value)
    assert isinstance(raised.value, ValueError)
    assert str(path) in message, message
    for part in parts:
        assert part in message, message
    # Where tesk31 stops a run with status 2, its message lines are those of
    # the module (whose message also holds the console's error line).
    result = subprocess.run([str(tesk31_path()), str(path), "run.prt", "run.dif"], cwd=tmp_path,
                            capture_output=True, text=True, encoding="latin-1")
    said = message
    for console in ("ERROR-INVALID DATA IN INPUT FILE: ", "ERROR-TOO MANY DISTANCE POINTS: "):
        said = said.replace(console, "")
    if result.returncode == 2:
        for line in result.stderr.splitlines():
            assert line.replace("file ", "") in said, (line, message)
    with pytest.raises(brenlow.Error, match=parts[0]):
        brenlow.parse_data_file("\n".join(lines), name=str(path))


def set_attribute(target, name, value):
    def change(line):
        setattr(target(line), name, value)
    return change


REFUSED = [
    # (case, change, call, message)
    ("earth wire of no diameter", set_attribute(lambda s: s.groups[3], "diameter", 0.0), "profile",
     "group 4 EARTH 1: subconductor diameter must be above 0"),
    ("bundle without spacing", set_attribute(lambda s: s.groups[0], "spacing", 0.0), "at",
     "group 1 PHASE A: bundle spacing must be above 0"),
    ("no subconductor", set_attribute(lambda s: s.groups[2], "subconductors", 0), "gradients",
     "group 3 PHASE C: number of subconductors must be at least 1"),
    ("groups removed below the energized count", lambda s: s.groups.__delitem__(slice(2, None)), "evaluate",
     "3 energized groups of 2: the energized groups must be between 0 and the number of groups"),
    ("51 groups", lambda s: s.groups.extend(s.groups[0].copy() for _ in range(46)), "check",
     "51 conductor groups: at most 50 are allowed"),
    ("apostrophe in a name", set_attribute(lambda s: s.groups[1], "name", "O'HARA"), "write",
     "group 2 O'HARA: a name in a data file cannot hold an apostrophe"),
    ("101 points", set_attribute(lambda s: s, "points", [(101, 0.0, 1.0)]), "write",
     "101 lateral points: a data file holds at most 100"),
    ("a value wider than its field", set_attribute(lambda s: s.groups[0], "kv", 1e9), "data_file_text",
     "group 1 PHASE A: a value does not fit its field of the data file"),
]


@pytest.mark.parametrize("case, change, call, message", REFUSED, ids=[c[0] for c in REFUSED])
def test_a_refused_section_raises_the_engines_message(case, change, call, message, tmp_path):
    line = brenlow.read_data_file(EXAMPLE)
    change(line)
    args = {"profile": ([0.0],), "at": (0.0, 1.0), "write": (tmp_path / "out.dat",)}.get(call, ())
    with pytest.raises(brenlow.Error) as raised:
        getattr(line, call)(*args)
    assert str(raised.value).startswith(message), str(raised.value)
    assert not (tmp_path / "out.dat").exists()


def test_a_file_that_cannot_be_read_or_written_is_named(tmp_path):
    with pytest.raises(brenlow.Error, match="missing.dat: No such file"):
        brenlow.read_data_file(tmp_path / "missing.dat")
    with pytest.raises(brenlow.Error, match="Is a directory"):
        brenlow.read_data_file(tmp_path)
    with pytest.raises(brenlow.Error, match=f"file {tmp_path}/no/such/out.dat: cannot be created"):
        brenlow.read_data_file(EXAMPLE).write(tmp_path / "no" / "such" / "out.dat")


def test_what_python_gets_wrong_is_named():
    line = brenlow.read_data_file(FLAT)
    cases = [
        (lambda: line.profile([0.0], quantities=["e", "H"]), ValueError, "unknown quantity 'H'; the quantities are"),
        (lambda: line.profile([0.0], quantities=["b", "b"]), ValueError, "quantity 'b' is listed twice"),
        (lambda: line.profile(["far"]), ValueError, "could not convert"),
        (lambda: line.at([0.0, 1.0, 2.0], [1.0, 2.0]), ValueError, "shape"),
        (lambda: brenlow.Group("A", x=1e39), ValueError, "x=1e\\+39 is beyond the single-precision range"),
        (lambda: setattr(line.conditions, "rain", -4e38), ValueError, "rain=-4e\\+38 is beyond"),
        (lambda: brenlow.Group("\u03a9"), ValueError, "has a character a data file cannot hold"),
        (lambda: brenlow.CrossSection(rainn=1.0), TypeError, "unexpected keyword argument 'rainn'"),
        (lambda: brenlow.CrossSection(titles="two"), TypeError, "titles must be a pair of str"),
        (lambda: brenlow.CrossSection(points=[(1, 2.0)]), TypeError, "points\\[0\\] must be a PointGroup"),
        (lambda: brenlow.CrossSection([line.groups[0], "EARTH"]), TypeError, "groups\\[1\\] must be a Group, not str"),
        (lambda: brenlow.read_data_file(12), TypeError, "PathLike"),
        (lambda: brenlow.CrossSection(rain="1.0"), TypeError, "rain must be a number, not str"),
        (lambda: brenlow.CrossSection(points=[(1.5, 0.0, 1.0)]), TypeError, "points\\[0\\].count must be an int"),
        (lambda: brenlow.CrossSection(energized=2**40), ValueError, "energized=1099511627776 is beyond"),
        (lambda: brenlow.CrossSection(conditions={"rain": 1.0}), TypeError, "conditions must be a Conditions"),
    ]
    for call, kind, message in cases:
        with pytest.raises(kind, match=message):
            call()
    # A list changed by hand is checked when the section is used.
    line.groups.append("EARTH 3")
    with pytest.raises(TypeError, match="groups\\[5\\] must be a Group, not str"):
        line.profile([0.0])


NOT_FINITE = [
    # (case, change of the flat line, what the message names)
    ("a voltage of NaN", set_attribute(lambda s: s.groups[1], "kv", float("nan")), "group 2 PHASE B"),
    ("an infinite current", set_attribute(lambda s: s.groups[2], "ka", float("inf")), "group 3 PHASE C"),
    ("a wind of NaN", set_attribute(lambda s: s.conditions, "wind", float("nan")), "wind"),
    ("an infinite sensor height", set_attribute(lambda s: s.conditions, "ef_height", -float("inf")), "height"),
    ("a point group starting at NaN", set_attribute(lambda s: s.points[0], "start", float("nan")), "point group"),
]


@pytest.mark.parametrize("case, change, named", NOT_FINITE, ids=[c[0] for c in NOT_FINITE])
def test_a_value_that_is_not_finite_is_never_written(case, change, named, tmp_path):
    # tesk31 would refuse the NaN, Inf or Infinity such a value is written as.
    line = brenlow.read_data_file(FLAT)
    change(line)
    with pytest.raises(ValueError, match=named):
        line.data_file_text()
    with pytest.raises(ValueError, match=named):
        line.write(tmp_path / "out.dat")
    assert list(tmp_path.iterdir()) == []


class PathHolding:
    def __init__(self, path):
        self.path = path

    def __fspath__(self):
        return self.path


def test_a_path_holding_a_nul_byte_is_refused(tmp_path):
    # As open() refuses it: the system would cut the name at the NUL and
    # read or write another file.
    line = brenlow.read_data_file(EXAMPLE)
    calls = [
        ("read", lambda: brenlow.read_data_file(str(EXAMPLE) + "\0.x")),
        ("read through __fspath__", lambda: brenlow.read_data_file(PathHolding(str(EXAMPLE) + "\0"))),
        ("write", lambda: line.write(str(tmp_path / "victim.dat") + "\0.safe")),
        ("write through __fspath__", lambda: line.write(PathHolding(str(tmp_path / "victim.dat") + "\0"))),
    ]
    for case, call in calls:
        with pytest.raises(ValueError, match="a file name cannot hold a NUL byte"):
            call()
    assert list(tmp_path.iterdir()) == []


@pytest.mark.parametrize("x, y, message", [
    (0.0, -1.0, r"^y: -1.0 m is below the ground: heights start at 0 m$"),
    ([0.0, 5.0], [1.0, -0.5], r"^y\[1\]: -0.5 m is below the ground"),
    ([0.0, 5.0], -1e-30, r"^y\[0\]: -1e-30 m is below the ground"),
    (float("nan"), 1.0, r"^x: nan is not a distance$"),
    ([0.0, 2e6], 1.0, r"^x\[1\]: 2000000.0 m is farther than 1000 km from the line"),
    (0.0, float("inf"), r"^y: inf is not a distance$"),
])
def test_fields_are_asked_above_the_ground_and_within_reach(x, y, message):
    line = brenlow.read_data_file(FLAT)
    for at in (line.at, line.evaluate().at):
        with pytest.raises(ValueError, match=message):
            at(x, y)
    # The edges are taken: the ground itself, 1000 km out either side.
    fields = line.at([-1e6, 0.0, 1e6], [0.0, 0.0, 1e6])
    assert fields.e.shape == (3,) and (fields.e >= 0).all()
