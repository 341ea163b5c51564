"""brenlow.Span: a cross section hung in sagging spans, its fields at any
(x, along, height) with numpy broadcasting, checked against the cross
section's own fields where the two must agree."""
import numpy as np
import pytest

import brenlow
from conftest import FLAT, ROOT

DOUBLE = ROOT / "examples" / "345kv_double_circuit.dat"


@pytest.mark.parametrize("path", [FLAT, DOUBLE])
def test_a_long_level_span_at_mid_span_is_the_cross_section(path):
    section = brenlow.read_data_file(path)
    span = brenlow.Span(section, length=20000.0, sag=1.0)
    x = np.linspace(-40, 40, 9)
    for height in (1.0, 2.0):
        spanned = span.at(x, 10000.0, height)
        flat = brenlow.Evaluation(section).at(x, height)
        np.testing.assert_allclose(spanned.e, flat.e, rtol=1e-3)
        np.testing.assert_allclose(spanned.b, flat.b, rtol=1e-3)
        np.testing.assert_allclose(spanned.e_vertical, flat.e_vertical, rtol=0, atol=1e-3 * flat.e.max())
        np.testing.assert_allclose(spanned.b_lateral, flat.b_horizontal, rtol=0, atol=1e-3 * flat.b.max())


def test_arguments_broadcast_like_numpy():
    span = brenlow.Span(brenlow.read_data_file(FLAT), length=300, sag=9)
    x = np.array([[-10.0], [0.0], [25.0]])
    along = np.array([0.0, 40.0, 150.0, 290.0])
    table = span.at(x, along, 1.5)
    assert table.e.shape == (3, 4) and table.b_along_phase.shape == (3, 4)
    assert table.e.dtype == np.float32
    for i in range(3):
        for j in range(4):
            one = span.at(float(x[i, 0]), float(along[j]), 1.5)
            assert np.ndim(one.e) == 0
            assert table.e[i, j] == one.e and table.b[i, j] == one.b
            assert table.along[i, j] == along[j] and table.height[i, j] == np.float32(1.5)


def test_the_ellipse_lies_between_its_largest_component_and_their_sum():
    span = brenlow.Span(brenlow.read_data_file(DOUBLE), length=350, sag=[12] * 6 + [8, 8])
    t = span.at(np.linspace(-30, 30, 13)[:, None], np.array([0.0, 30.0, 175.0]), 1.0)
    for f in ("e", "b"):
        parts = np.stack([t[f + "_lateral"], t[f + "_along"], t[f + "_vertical"]])
        assert np.all(t[f] >= parts.max(axis=0) * (1 - 1e-5))
        assert np.all(t[f] <= np.sqrt((parts ** 2).sum(axis=0)) * (1 + 1e-5))
    # At mid-span the line is symmetric fore and aft: nothing along it; off
    # mid-span the conductors slope and the field has a component along the line.
    for f in ("e", "b"):
        assert t[f + "_along"][:, 2].max() < 1e-4 * t[f][:, 2].max()
        assert t[f + "_along"][:, 1].max() > 1e-3 * t[f][:, 1].max()


def test_sags_of_the_groups():
    section = brenlow.read_data_file(FLAT)
    assert brenlow.Span(section, length=300, sag=9).sags == [9, 9, 9, 9, 9]
    assert brenlow.Span(section, length=300, sag=9, earth_sag=6).sags == [9, 9, 9, 6, 6]
    span = brenlow.Span(section, length=300, sag=[1, 2, 3, 4, 5], spans=5)
    assert span.sags == [1, 2, 3, 4, 5] and span.spans == 5 and span.length == 300
    assert span.section.groups[0].y == section.groups[0].y


@pytest.mark.parametrize("arguments, error, message", [
    (dict(length=0, sag=1), brenlow.Error, "span length 0 m: must be above 0"),
    (dict(length=300, sag=1, spans=4), brenlow.Error, "the count must be odd"),
    (dict(length=300, sag=[1, 2]), brenlow.Error, "2 sags given for 5 groups"),
    (dict(length=300, sag=[1, 2, 3, 4, 5], earth_sag=2), ValueError, "earth_sag with a sag for each group"),
    (dict(length=300, sag=400), brenlow.Error, "must be 0 or above and below the span length"),
    (dict(length="long", sag=1), TypeError, "length must be a number, not str"),
    (dict(length=300, sag=[1, 2, "x", 4, 5]), TypeError, r"sag\[2\] must be a number"),
    (dict(length=1e300, sag=1), ValueError, r"length=1e\+300 is beyond the single-precision range"),
    (dict(length=300, sag=[1, 2, 3, 4, -1e39]), ValueError, r"sag\[4\]=-1e\+39 is beyond the single"),
])
def test_what_is_refused(arguments, error, message):
    with pytest.raises(error, match=message):
        brenlow.Span(brenlow.read_data_file(FLAT), **arguments)


@pytest.mark.parametrize("unit, factor", [("uT", 1.0), ("mG", 10.0), ("G", 0.01), ("g", 0.01)])
def test_b_in_the_unit_asked_for_as_profile_gives_it(unit, factor):
    span = brenlow.Span(brenlow.read_data_file(FLAT), length=300, sag=9)
    default = span.at([0.0, 20.0], 150.0, 1.0)  # uT, as every function of the module
    asked = span.at([0.0, 20.0], 150.0, 1.0, b_unit=unit)
    np.testing.assert_allclose(asked.b, default.b * factor, rtol=1e-6)
    np.testing.assert_allclose(asked.b_vertical, default.b_vertical * factor, rtol=1e-6)
    assert np.array_equal(asked.b_vertical_phase, default.b_vertical_phase)
    np.testing.assert_array_equal(asked.e, default.e)
    with pytest.raises(ValueError, match="b_unit"):
        span.at(0.0, 0.0, 1.0, b_unit="T")


@pytest.mark.parametrize("point, message", [
    ((0.0, 150.0, -1.0), r"height: -1.0 m is below the ground: heights start at 0 m"),
    ((1e30, 150.0, 1.0), r"x: 1e\+30 m is farther than 1000 km from the line"),
    (([0.0, 2e6], 150.0, 1.0), r"x\[1\]: 2000000.0 m is farther"),
    ((0.0, -1e7, 1.0), r"along: -10000000.0 m is farther"),
    ((0.0, 150.0, [1.0, np.inf]), r"height\[1\]: inf is not a distance"),
    ((np.nan, 150.0, 1.0), r"x: nan is not a distance"),
    ((0.0, 150.0, 1e39), r"height: 1e\+39 m is farther"),
])
def test_points_are_checked_as_the_command_line_checks_them(point, message):
    span = brenlow.Span(brenlow.read_data_file(FLAT), length=300, sag=9, elements=8)
    with pytest.raises(ValueError, match=message):
        span.at(*point)
    # At the edges of what is taken: the ground, and 1000 km out.
    assert np.isfinite(span.at([-1e6, 1e6], [-1e6, 1e6], [0.0, 1e6]).e).all()


def test_ctrl_c_ends_the_solve():
    # SIGINT is tripped every 10 ms while a solve of a few seconds runs; the
    # solve checks for it as it goes, running the handler each time, and
    # ends with the handler's KeyboardInterrupt (the third time).
    import _thread
    import signal
    import threading

    heard = []

    def handler(signum, frame):
        heard.append(signum)
        if len(heard) == 3:
            raise KeyboardInterrupt

    done = threading.Event()

    def interrupt():
        while not done.wait(0.01):
            _thread.interrupt_main()

    line = brenlow.read_data_file(FLAT)
    previous = signal.signal(signal.SIGINT, handler)
    interrupter = threading.Thread(target=interrupt)
    try:
        interrupter.start()
        with pytest.raises(KeyboardInterrupt):
            brenlow.Span(line, length=300, sag=9, elements=200)
        # The interrupter may trip SIGINT again before it is told to stop.
        assert len(heard) >= 3
    finally:
        done.set()
        interrupter.join()
        sum(range(1000))  # an interrupt still pending goes to the handler, not pytest
        signal.signal(signal.SIGINT, previous)
