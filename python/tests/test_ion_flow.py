"""brenlow.IonFlow: the engine's ion flow from Python, checked against what
holds exactly (no ions below onset, the polarity and mobility) and against
tesk31-study's own table of the bundled bipole."""
import warnings

import numpy as np
import pytest

import brenlow
from conftest import ROOT

BIPOLE = ROOT / "examples" / "500kv_dc_bipole.dat"


def test_profile_of_the_bipole():
    flow = brenlow.IonFlow(brenlow.read_data_file(BIPOLE))
    x = np.linspace(-60, 60, 121)
    p = flow.profile(x)
    assert p.e_total.shape == (121,) and p.j.dtype == np.float32
    # Under the poles: the total field well above the nominal one; positive
    # ions into the ground under the positive pole, negative under the other.
    assert p.e_total[50] > 2 * p.e_nominal[50]
    assert p.j[50] > 0 > p.j[70]
    np.testing.assert_allclose(p.e_total[50], 22.070, atol=1e-3)  # as the manual's worked example shows
    poles = flow.poles
    assert [q["name"].strip() for q in poles] == ["POLE +", "POLE -"]
    assert all(q["corona"] for q in poles)
    np.testing.assert_allclose([q["loss"] for q in poles], [500 * q["current"] * 1e-3 for q in poles], rtol=1e-9)
    assert any("pole to pole" in n for n in flow.notes)


def test_below_onset_nothing_changes_and_it_is_said():
    section = brenlow.read_data_file(BIPOLE)
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        flow = brenlow.IonFlow(section, onset_voltage=[520, 530])
    assert len([w for w in caught if issubclass(w.category, brenlow.BrenlowWarning)]) == 2
    p = flow.profile(np.arange(-50.0, 51.0, 2.5))
    np.testing.assert_array_equal(p.e_total, p.e_nominal)
    np.testing.assert_array_equal(p.j, 0)


def test_mobility_scales_the_current_alone():
    section = brenlow.read_data_file(BIPOLE)
    slow = brenlow.IonFlow(section, mobility_positive=1e-4, onset_voltage=350)
    fast = brenlow.IonFlow(section, mobility_positive=2e-4, onset_voltage=350)
    x = np.array([-30.0, -10.0, -7.0])
    np.testing.assert_allclose(fast.profile(x).j, 2 * slow.profile(x).j, rtol=1e-6)
    np.testing.assert_allclose(fast.profile(x).e_total, slow.profile(x).e_total, rtol=1e-6)


@pytest.mark.parametrize("kwargs, message", [
    ({"roughness": 0}, "roughness must be above 0"),
    ({"onset_voltage": [300, 310, 320]}, "3 onset voltages for 2 poles"),
    ({"lines": 2}, "lines per pole must be 8"),
])
def test_refused(kwargs, message):
    with pytest.raises(brenlow.Error, match=message):
        brenlow.IonFlow(brenlow.read_data_file(BIPOLE), **kwargs)


def test_both_onsets_refused():
    with pytest.raises(ValueError, match="not both"):
        brenlow.IonFlow(brenlow.read_data_file(BIPOLE), onset_gradient=16, onset_voltage=350)


def test_full_method_matches_the_engine_and_samples_the_densities():
    section = brenlow.read_data_file(BIPOLE)
    flow = brenlow.IonFlow(section, method="full", element_size=2)
    poles = flow.poles
    for q in poles:
        total = q["ground_current"] + q["conductor_current"] + q["inter_pole_current"] + q["far_current"]
        np.testing.assert_allclose(q["current"], total, rtol=1e-9)
    assert 0 < flow.recombination_share < 1
    np.testing.assert_allclose(flow.recombination_current, flow.recombination_share * flow.inter_pole_current)
    # Positive ions mostly under the positive pole (x = -7 m), none in it.
    d = flow.densities(np.array([-7.0, -7.0]), np.array([10.0, 15.0]))
    assert d.positive[0] > 3 * d.negative[0]
    assert d.positive[1] == 0 and d.negative[1] == 0
    with pytest.raises(brenlow.Error, match="full method"):
        brenlow.IonFlow(section, wind=2)
    with pytest.raises(ValueError, match="method"):
        brenlow.IonFlow(section, method="exact")
