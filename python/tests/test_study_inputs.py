"""The studies from Python refuse what tesk31-study refuses, with a
ValueError that says what: a point that is no number or lies beyond the
1,000 km a study reaches (a value a float cannot hold among them), a limit
beyond the float range, and groups to raise that name none or one twice."""
import math
import re

import numpy as np
import pytest

import brenlow
from conftest import FLAT

if not hasattr(brenlow, "height"):
    pytest.skip("the module was built without the studies", allow_module_level=True)

LINE = brenlow.read_data_file(FLAT)  # metres; phases 0-2, earth wires 3-4

DOORS = {
    "height": lambda at: brenlow.height(LINE, {"B": 10.0}, at),
    "phasing": lambda at: brenlow.phasing(LINE, [[0, 1, 2]], "B", at),
    "edges": lambda at: brenlow.edges(LINE, at),
}

BAD_POINTS = [
    ("nan", [float("nan")], "at[0]: nan is not a distance"),
    ("infinity second", [0.0, math.inf], "at[1]: inf is not a distance"),
    ("minus infinity", -math.inf, "at[0]: -inf is not a distance"),
    ("past the float range", [1e39], "at[0]: 1e+39 m is farther than the 1000000 m (1000 km)"),
    ("float32 infinity", np.array([30.0, np.inf], dtype=np.float32), "at[1]: inf is not a distance"),
    ("just past the reach", [-1000000.5], "at[0]: -1000000.5 m is farther than the 1000000 m"),
]


@pytest.mark.parametrize("door", sorted(DOORS))
@pytest.mark.parametrize("at, message", [case[1:] for case in BAD_POINTS], ids=[case[0] for case in BAD_POINTS])
def test_points_no_study_reaches_are_refused(door, at, message):
    with pytest.raises(ValueError, match=re.escape(message)):
        DOORS[door](at)


def test_the_farthest_points_are_numbers():
    table = brenlow.edges(LINE, [-1e6, 1e6])
    for column in ("E", "E-RES", "B", "B-RES", "AN", "AN-FAIR", "RI", "RI-FAIR", "TV", "OZ"):
        assert np.isfinite(table[column]).all(), column
    assert brenlow.height(LINE, {"B": 1.0}, [1e6])["raise"] == 0.0


@pytest.mark.parametrize("limits", [{"B": 1e39}, {"E": float("nan")}, {"AN": -math.inf}, {"B": 10.0, "E": 4e38}],
                         ids=["past the float range", "nan", "minus infinity", "second limit"])
def test_limits_past_the_float_range_are_refused(limits):
    bad = [q for q, v in limits.items() if not abs(v) <= 3.4e38][0]
    with pytest.raises(ValueError, match=re.escape(f"limits: the limit for {bad} must be a finite number")):
        brenlow.height(LINE, limits, [0.0])


@pytest.mark.parametrize("groups, message", [
    ([], "groups: the list names no group to raise"),
    ((), "groups: the list names no group to raise"),
    ([2, 2, 2], "groups to raise: group 3 (PHASE C) is listed twice"),
    ([0, 1, 2, 1], "groups to raise: group 2 (PHASE B) is listed twice"),
    (np.array([4, 4]), "groups to raise: group 5 (EARTH 2) is listed twice"),
], ids=["empty list", "empty tuple", "one group thrice", "one repeated last", "numpy array"])
def test_groups_to_raise_name_each_once(groups, message):
    with pytest.raises(ValueError, match=re.escape(message)):
        brenlow.height(LINE, {"B": 10.0}, [0.0], groups=groups)

