"""DC and hybrid lines against an independent numpy model of each part
alone: bundles as line charges with ground images, the charges from the
voltages by the potential coefficients, currents as filaments. A static
field and an alternating one never add as phasors; a DC pole's angle has
no effect; turning every AC phase alike changes nothing."""
import numpy as np
import pytest

import brenlow
from conftest import ROOT

HYBRID = ROOT / "examples" / "hybrid_corridor.dat"
BIPOLE = ROOT / "examples" / "500kv_dc_bipole.dat"


def model(section, ac, x, h):
    """E (kV/m) and B (uT) of the groups of one kind, the others at 0 V and
    without current: the rms ellipse's semi-major axis for AC, the static
    magnitude for DC."""
    groups = section.groups
    n = len(groups)
    gx = np.array([g.x for g in groups], float)
    gy = np.array([g.y for g in groups], float)
    r = np.array([g.diameter for g in groups], float) / 2000
    count = np.array([g.subconductors for g in groups], float)
    big_r = np.where(count > 1, np.array([g.spacing for g in groups], float) / 100 / (2 * np.sin(np.pi / count)), r)
    req = (count * r * big_r ** (count - 1)) ** (1 / count)
    dx = gx[:, None] - gx[None, :]
    p = np.log(np.hypot(dx, gy[:, None] + gy[None, :]) / np.where(np.eye(n) > 0, 1, np.hypot(dx, gy[:, None] - gy[None, :])))
    p[np.diag_indices(n)] = np.log(2 * gy / req)
    mine = np.array([g.ac == ac for g in groups])
    angle = np.array([np.radians(g.phase) if ac else 0.0 for g in groups])
    v = np.where(mine, np.array([g.kv for g in groups]) * 1e3 * np.exp(1j * angle), 0)
    q = np.linalg.solve(p.astype(complex), v)  # times 2 pi e0, which the field takes back
    energized = np.arange(n) < section.energized
    current = np.where(mine & energized, np.array([g.ka for g in groups]) * np.exp(1j * angle), 0)
    if not ac:
        current = np.where(np.array([g.kv for g in groups]) < 0, -current, current)
    out_e, out_b = [], []
    for xp in np.atleast_1d(x):
        ddx, dy, dyi = xp - gx, h - gy, h + gy
        ex = np.sum(q * (ddx / (ddx**2 + dy**2) - ddx / (ddx**2 + dyi**2)))
        ey = np.sum(q * (dy / (ddx**2 + dy**2) - dyi / (ddx**2 + dyi**2)))
        bx = np.sum(-2 * current * dy / (ddx**2 + dy**2)) * 100
        by = np.sum(2 * current * ddx / (ddx**2 + dy**2)) * 100
        if ac:
            def axis(a, b):
                return np.sqrt((abs(a)**2 + abs(b)**2 + abs(a * a + b * b)) / 2)
            out_e.append(axis(ex, ey) / 1e3)
            out_b.append(axis(bx, by))
        else:
            out_e.append(np.hypot(ex.real, ey.real) / 1e3)
            out_b.append(np.hypot(bx.real, by.real))
    return np.array(out_e), np.array(out_b)


def turned_bipole():
    section = brenlow.read_data_file(BIPOLE)
    section.groups[0].phase = 120.0  # the + pole: no effect
    return section


@pytest.mark.parametrize("make", [lambda: brenlow.read_data_file(HYBRID), turned_bipole], ids=["hybrid", "bipole"])
def test_each_part_is_the_models(make):
    section = make()
    xs = np.arange(-60, 61, 5, dtype=np.float32)
    profile = section.profile(xs, ["E-AC", "E-DC", "B-AC", "B-DC"])
    for ac, e, b in [(True, profile.e_ac, profile.b_ac), (False, profile.e_dc, profile.b_dc)]:
        me, _ = model(section, ac, xs.astype(float), section.conditions.ef_height)
        _, mb = model(section, ac, xs.astype(float), section.conditions.mf_height)
        np.testing.assert_allclose(e, me, rtol=2e-4, atol=1e-6)
        np.testing.assert_allclose(b, mb, rtol=2e-4, atol=1e-6)


def test_a_hybrid_line_has_no_one_field():
    section = brenlow.read_data_file(HYBRID)
    for name in ["e", "B", "E-RES", "b_res", "potential"]:
        with pytest.raises(ValueError, match="apart"):
            section.profile([0.0], [name])
    profile = section.profile([0.0, 20.0])
    assert list(profile)[-4:] == ["e_ac", "e_dc", "b_ac", "b_dc"]
    at = section.at([0.0, 20.0], 1.0)
    assert "e" not in at and {"e_ac", "e_dc", "b_ac", "b_dc", "potential_ac", "e_ac_res"} <= set(at)
    span = brenlow.Span(section, length=400.0, sag=10.0, spans=1, elements=20)
    assert {"e_ac", "e_dc", "b_ac", "b_dc"} <= set(span.at([0.0], [200.0], [1.0]))
    assert set(brenlow.edges([section], [0.0])) >= {"E-AC", "E-DC", "B-AC", "B-DC"}
    with pytest.raises(brenlow.Error, match="E-AC and E-DC"):
        brenlow.height(section, {"E": 5.0}, [0.0])


def test_dc_angle_and_turning_every_ac_phase_alike_change_nothing():
    given = brenlow.read_data_file(HYBRID)
    names = ["an_rain", "ri_rain", "e_ac", "e_dc", "b_ac", "b_dc", "e_ac_res", "b_ac_res"]
    xs = np.arange(-60, 61, 10, dtype=np.float32)
    before = given.profile(xs, names)
    dc_turned = brenlow.read_data_file(HYBRID)
    for group in dc_turned.groups:
        if not group.ac:
            group.phase = 77.0
    after = dc_turned.profile(xs, names)
    for name in names:
        assert np.array_equal(after[name], before[name]), name
    ac_turned = brenlow.read_data_file(HYBRID)
    for group in ac_turned.groups:
        if group.ac:
            group.phase += 120.0
    after = ac_turned.profile(xs, names)
    for name in names:
        # The corona levels from the gradients of a cycle in 0.1 degree steps.
        tolerance = dict(atol=0.01) if name in ("an_rain", "ri_rain") else dict(rtol=1e-4)
        np.testing.assert_allclose(after[name], before[name], err_msg=name, **tolerance)
    # Group(ac=False, phase=...) the same: a pole's angle is no part of it.
    pole = dict(ac=False, y=15.0, subconductors=4, diameter=30.5, spacing=45.0, ka=2.0)
    line = [brenlow.Group("P", x=-7.0, kv=500.0, **pole), brenlow.Group("N", x=7.0, kv=-500.0, **pole)]
    at_0 = brenlow.CrossSection(line, energized=2).profile([0.0, 60.0], ["E", "B"])
    line[0].phase = 120.0
    at_120 = brenlow.CrossSection(line, energized=2).profile([0.0, 60.0], ["E", "B"])
    assert np.array_equal(at_0.e, at_120.e) and np.array_equal(at_0.b, at_120.b)
