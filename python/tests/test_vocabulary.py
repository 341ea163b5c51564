"""One vocabulary: B in the unit asked (uT by default, whatever the data
file's units), quantities named as the studies name them in any case, and
the resultant fields beside the ellipse maxima."""
import math

import numpy as np
import pytest

import brenlow
from conftest import EXAMPLES, FLAT, same_bits

ENGLISH = next(p for p in EXAMPLES if p.name == "500kv_english.dat")
XS = np.linspace(-40.0, 40.0, 9)
B_PARTS = ["b", "b_vertical", "b_horizontal", "b_res"]


def windy(path):
    line = brenlow.read_data_file(path)
    line.conditions.wind = 2.0  # ozone carried downwind, without the no-wind warning
    return line


# b_unit as given, how many of it make a gauss, the unit the column names.
B_UNITS = [
    (None, 100, "uT"), ("uT", 100, "uT"), ("UT", 100, "uT"), ("\u00b5T", 100, "uT"),
    ("mG", 1000, "mG"), ("mg", 1000, "mG"), ("G", 1, "G"), ("g", 1, "G"),
]


@pytest.mark.parametrize("path", [FLAT, ENGLISH], ids=["metric", "english"])
@pytest.mark.parametrize("b_unit, per_gauss, label", B_UNITS, ids=[str(u[0]) for u in B_UNITS])
def test_b_is_in_the_unit_asked_whatever_the_files_units(path, b_unit, per_gauss, label):
    line = windy(path)
    unit = {} if b_unit is None else {"b_unit": b_unit}
    gauss_profile = line.profile(XS, ["e", "b", "b_res"], b_unit="G")
    gauss_fields = line.at(XS, 1.5, b_unit="G")
    profile, fields = line.profile(XS, ["e", "b", "b_res"], **unit), line.at(XS, 1.5, **unit)
    factor = np.float32(per_gauss)
    for name in ("b", "b_res"):
        assert same_bits(profile[name], gauss_profile[name] * factor), name
        assert profile.units[name] == label
    for name in B_PARTS:
        assert same_bits(fields[name], gauss_fields[name] * factor), name
        assert fields.units[name] == label
    # Angles, E and distances do not depend on the unit of B; distances are metres.
    assert same_bits(fields.b_direction, gauss_fields.b_direction) and fields.units["b_direction"] == "deg"
    assert same_bits(profile.e, gauss_profile.e) and same_bits(profile.x, np.float32(XS))
    assert profile.units["x"] == fields.units["y"] == "m"


# A name as a user may write it, the column it gives.
NAMES = [
    ("E", "e"), ("e", "e"), ("B", "b"), ("b", "b"),
    ("AN", "an_rain"), ("an", "an_rain"), ("AN-RAIN", "an_rain"), ("AN-FAIR", "an_fair"), ("an_fair", "an_fair"),
    ("RI", "ri_rain"), ("Ri", "ri_rain"), ("RI-RAIN", "ri_rain"), ("RI-FAIR", "ri_fair"), ("ri-fair", "ri_fair"),
    ("TV", "tv"), ("OZ", "ozone"), ("oz", "ozone"), ("Ozone", "ozone"),
    ("E-RES", "e_res"), ("e_res", "e_res"), ("B-RES", "b_res"), ("b-Res", "b_res"),
    ("AN-RAIN-L5", "an_rain_l5"), ("AN_FAIR_L5", "an_fair_l5"), ("POTENTIAL", "potential"),
]


@pytest.mark.parametrize("name, column", NAMES, ids=[n for n, _ in NAMES])
def test_a_quantity_is_taken_by_any_of_its_names(name, column):
    line = windy(FLAT)
    given, expected = line.profile(XS, [name]), line.profile(XS, [column])
    assert list(given) == ["x", column]
    assert same_bits(given[column], expected[column]) and given.units[column] == expected.units[column]


def test_rain_is_the_default_weather_of_an_and_ri():
    # The rain columns are the louder ones: AN and RI alone are not the fair ones.
    line = windy(FLAT)
    line.conditions.rain = 1.0
    p = line.profile(XS, ["AN", "AN-FAIR", "RI", "RI-FAIR"])
    assert list(p) == ["x", "an_rain", "an_fair", "ri_rain", "ri_fair"]
    assert np.all(p.an_rain > p.an_fair) and np.all(p.ri_rain > p.ri_fair)


REFUSED = [
    (["H"], ValueError, "unknown quantity 'H'; the quantities are .*e_res, b_res.*E-RES, B-RES, E-AC"),
    ([""], ValueError, "unknown quantity ''"),
    (["an rain"], ValueError, "unknown quantity 'an rain'"),
    (["E-MAX"], ValueError, "unknown quantity 'E-MAX'"),
    (["e", "E"], ValueError, "quantity 'E' is listed twice \\(as the column 'e'\\)"),
    (["an_rain", "AN"], ValueError, "quantity 'AN' is listed twice \\(as the column 'an_rain'\\)"),
    (["RI-RAIN", "ri"], ValueError, "quantity 'ri' is listed twice"),
    ([3], TypeError, "a quantity must be a str"),
]


@pytest.mark.parametrize("quantities, kind, message", REFUSED, ids=[repr(q) for q, _, _ in REFUSED])
def test_a_name_it_does_not_take_is_refused_with_the_names_it_takes(quantities, kind, message):
    with pytest.raises(kind, match=message):
        windy(FLAT).profile(XS, quantities)


@pytest.mark.parametrize("b_unit, kind, message", [
    ("T", ValueError, "unknown b_unit 'T'; the units of B are uT, mG and G"),
    ("gauss", ValueError, "unknown b_unit 'gauss'"),
    ("", ValueError, "unknown b_unit ''"),
    ("uT\0", ValueError, "unknown b_unit"),
    (None, TypeError, "b_unit must be a str: 'uT', 'mG' or 'G', not NoneType"),
    (100, TypeError, "b_unit must be a str.*not int"),
])
def test_a_unit_of_b_it_does_not_know_is_refused(b_unit, kind, message):
    line = windy(FLAT)
    evaluation = line.evaluate()
    for call in (lambda: line.profile(XS, b_unit=b_unit), lambda: line.at(XS, 1.0, b_unit=b_unit),
                 lambda: evaluation.profile(XS, ["b"], b_unit=b_unit), lambda: evaluation.at(0.0, 1.0, b_unit=b_unit)):
        with pytest.raises(kind, match=message):
            call()


def peer_flat_line(ef_height=1.0, mf_height=1.0):
    """A 525 kV flat line: phases 10 m apart, 10.6 m high, 3 x 33 mm at 45 cm,
    303.1 kV to ground, 1 kA, angles 120, 0, -120."""
    groups = [brenlow.Group(name, x=x, y=10.6, subconductors=3, diameter=33, spacing=45, kv=303.1, ka=1,
                            phase=angle)
              for name, x, angle in (("A", -10.0, 120.0), ("B", 0.0, 0.0), ("C", 10.0, -120.0))]
    return brenlow.CrossSection(groups, energized=3, ef_height=ef_height, mf_height=mf_height)


def test_resultants_match_an_independent_programs_pinned_values():
    # The peer gives E at (20 m, 2 m) as 4877 V/m and B at (0, 1 m) as 21.05 uT
    # (rounded, and its B 0.07 % above the straight-wire sum checked below).
    line = peer_flat_line(ef_height=2.0, mf_height=1.0)
    e, b = pytest.approx(4.877, rel=5e-4), pytest.approx(21.05, rel=1e-3)
    assert line.at(20.0, 2.0).e_res == e and line.at(0.0, 1.0).b_res == b
    assert line.at(0.0, 1.0, b_unit="mG").b_res == pytest.approx(210.5, rel=1e-3)
    profile = line.profile([0.0, 20.0], ["E-RES", "B-RES"])
    assert profile.e_res[1] == e and profile.b_res[0] == b
    # Under the centre the B ellipse is round enough for its maximum to be another number.
    assert line.at(0.0, 1.0).b < 0.9 * 21.05


def biot_savart_resultant(x, y, wires, mu0=4e-7 * math.pi):
    """uT: the rms resultant of infinitely long straight currents (x, y, kA,
    degrees) above ground that carries none."""
    bx = by = 0j
    for wx, wy, ka, angle in wires:
        dx, dy = x - wx, y - wy
        current = 1000 * ka * complex(math.cos(math.radians(angle)), math.sin(math.radians(angle)))
        scale = mu0 * current / (2 * math.pi * (dx * dx + dy * dy))
        bx, by = bx - scale * dy, by + scale * dx
    return 1e6 * math.sqrt(abs(bx) ** 2 + abs(by) ** 2)


def test_resultant_b_is_the_sum_over_straight_wires():
    # The line's B is that of straight currents over a ground carrying none,
    # summed here in double precision.
    line = peer_flat_line()
    wires = [(g.x, g.y, g.ka, g.phase) for g in line.groups]
    xs, ys = np.meshgrid([-30.0, -12.5, 0.0, 5.0, 20.0], [0.0, 1.0, 4.0, 15.0])
    fields = line.at(xs, ys)
    for x, y, b in zip(xs.ravel(), ys.ravel(), fields.b_res.ravel()):
        assert b == pytest.approx(biot_savart_resultant(x, y, wires), rel=1e-5), (x, y)


@pytest.mark.parametrize("path", EXAMPLES, ids=[p.name for p in EXAMPLES])
def test_a_resultant_lies_between_the_ellipse_maximum_and_root_two_times_it(path):
    line = windy(path)
    xs, ys = np.meshgrid(np.linspace(-60.0, 60.0, 17), [1.0, 2.0])
    # A hybrid line's AC field; the others' one field.
    ac = "_ac" if len({g.ac for g in line.groups[:line.energized]}) == 2 else ""
    e, b, e_res, b_res = (f"e{ac}", f"b{ac}", f"e{ac}_res", f"b{ac}_res")
    fields, profile = line.at(xs, ys), line.profile(xs[0], [e, e_res, b, b_res])
    for maximum, resultant in ((fields[e], fields[e_res]), (fields[b], fields[b_res]),
                               (profile[e], profile[e_res]), (profile[b], profile[b_res])):
        assert np.all(resultant >= maximum * (1 - 1e-5))
        assert np.all(resultant <= maximum * math.sqrt(2) * (1 + 1e-5))
