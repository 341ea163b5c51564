"""What a user enters is checked, and what looks wrong is said: counts that
do not fit the groups are refused when given, sections start with sensor
heights and frequencies that mean something, and the engine's warnings
(a current entered negative, ozone without wind) reach the user as
brenlow.BrenlowWarning."""
import copy
import pickle
import warnings

import numpy as np
import pytest

import brenlow
from conftest import EXAMPLE, FLAT


def phases_and_earth_wires():
    line = brenlow.read_data_file(FLAT)
    return [g.copy() for g in line.groups]  # 3 phases, then 2 earth wires


COUNTS = [
    # (case, keywords, energized, or the ValueError's message)
    ("energized given", dict(energized=3), 3),
    ("earth wires given", dict(earth_wires=2), 3),
    ("both, adding up", dict(energized=3, earth_wires=2), 3),
    ("all energized", dict(energized=5), 5),
    ("neither", {}, "say which of the 5 groups are energized: energized=N .* or earth_wires=N"),
    ("more energized than groups", dict(energized=6), "energized=6 does not fit the 5 groups"),
    ("a negative count", dict(energized=-1), "energized=-1 does not fit the 5 groups"),
    ("more earth wires than groups", dict(earth_wires=7), "earth_wires=7 does not fit the 5 groups"),
    ("both, not adding up", dict(energized=3, earth_wires=1),
     "energized=3 and earth_wires=1 do not add up to the 5 groups"),
]


@pytest.mark.parametrize("case, keywords, expected", COUNTS, ids=[c[0] for c in COUNTS])
def test_which_groups_are_energized_is_said_and_checked_at_construction(case, keywords, expected):
    if isinstance(expected, str):
        with pytest.raises(ValueError, match=expected):
            brenlow.CrossSection(phases_and_earth_wires(), **keywords)
    else:
        assert brenlow.CrossSection(phases_and_earth_wires(), **keywords).energized == expected


def test_a_count_set_later_is_checked_and_one_never_said_is_refused_at_use(tmp_path):
    line = brenlow.CrossSection()  # groups to come
    assert line.energized is None and "not yet said how many energized" in repr(line)
    with pytest.raises(ValueError, match="energized=1 does not fit the 0 groups"):
        brenlow.CrossSection(energized=1)
    line.groups = phases_and_earth_wires()
    uses = [lambda: line.profile([0.0]), lambda: line.at(0.0, 1.0), lambda: line.evaluate(),
            lambda: brenlow.Evaluation(line), lambda: line.check(), lambda: line.data_file_text(),
            lambda: line.write(tmp_path / "out.dat")]
    for use in uses:
        with pytest.raises(ValueError, match="say which of the 5 groups are energized"):
            use()
    line.energized = 3
    with pytest.raises(ValueError, match="energized=9 does not fit the 5 groups"):
        line.energized = 9
    assert line.energized == 3  # a refused count leaves the one said
    assert line.profile([0.0], "e").e[0] > 0
    assert list(tmp_path.iterdir()) == []
    # Said or not, a count survives copies and pickles as it is.
    for section in (line, brenlow.CrossSection()):
        assert pickle.loads(pickle.dumps(section)).energized == section.energized
        assert copy.deepcopy(section).energized == section.energized


def test_default_conditions_are_the_example_lines_sensors_and_frequencies():
    # The bundled lines hold the sensor heights, frequencies and ground
    # conductivity the defaults give; their wind, rain and altitude are the
    # line's own.
    read = brenlow.read_data_file(FLAT).conditions
    assert brenlow.Conditions(wind=read.wind, rain=read.rain, altitude=read.altitude) == read
    built = brenlow.CrossSection(phases_and_earth_wires(), energized=3, wind=2.0)
    assert built.conditions == brenlow.Conditions(wind=2.0)
    # Meaningful numbers: E and B at 1 m (not on the ground), radio and
    # television levels that are levels (not -10006 dB, not infinite).
    profile = built.profile([-30.0, 0.0, 30.0])
    fields = built.at([-30.0, 0.0, 30.0], 1.0)
    assert np.array_equal(profile.e, fields.e) and np.array_equal(profile.b, fields.b)
    for quantity in ("an_rain", "an_fair", "ri_rain", "ri_fair", "tv", "ozone"):
        assert np.all(np.isfinite(profile[quantity])), quantity
    assert np.all((profile.ri_rain > 0) & (profile.ri_rain < 120) & (profile.tv > -50) & (profile.tv < 120))


def bipole(current_of_negative_pole):
    """A DC bipole: the negative pole's current is entered as given."""
    pole = dict(ac=False, y=20.0, subconductors=2, diameter=40.0, spacing=45.0)
    return brenlow.CrossSection(
        [brenlow.Group("POLE +", x=-6.0, kv=500.0, ka=2.0, **pole),
         brenlow.Group("POLE -", x=6.0, kv=-500.0, ka=current_of_negative_pole, **pole)],
        energized=2, wind=2.0, rain=1.0)


def doors(section):
    doors = [("evaluate", lambda: section.evaluate()), ("Evaluation", lambda: brenlow.Evaluation(section)),
             ("profile", lambda: section.profile([0.0])), ("at", lambda: section.at(0.0, 1.0)),
             ("gradients", lambda: section.gradients())]
    if hasattr(brenlow, "edges"):
        doors += [("edges", lambda: brenlow.edges(section, [0.0])),
                  ("height", lambda: brenlow.height(section, {"E": 100.0}, [0.0]))]
    return doors


@pytest.mark.parametrize("door", range(len(doors(bipole(2.0)))), ids=[d[0] for d in doors(bipole(2.0))])
def test_a_negative_current_is_said_through_every_door(door):
    name, call = doors(bipole(-2.0))[door]
    with pytest.warns(brenlow.BrenlowWarning) as said:
        call()
    messages = [str(w.message) for w in said if w.category is brenlow.BrenlowWarning]
    assert len(messages) == 1, messages
    assert messages[0].startswith("group 2 POLE -: current -2 kA entered negative:"), messages[0]
    assert "sign of its voltage (-500 kV)" in messages[0]
    assert said[0].filename == __file__  # shown at the caller's line
    # The same line with the current as a magnitude says nothing.
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        doors(bipole(2.0))[door][1]()


def test_a_warning_turned_into_an_error_stops_the_call():
    assert issubclass(brenlow.BrenlowWarning, UserWarning)
    with warnings.catch_warnings():
        warnings.simplefilter("error", brenlow.BrenlowWarning)
        with pytest.raises(brenlow.BrenlowWarning, match="entered negative"):
            bipole(-2.0).profile([0.0])


WIND = [
    # (case, wind, quantities, the note said)
    ("no wind, every quantity", 0.0, None, True),
    ("no wind, ozone alone", 0.0, ["ozone"], True),
    ("no wind, fields only", 0.0, ["e", "b"], False),
    ("wind", 2.0, None, False),
]


@pytest.mark.parametrize("case, wind, quantities, noted", WIND, ids=[c[0] for c in WIND])
def test_ozone_without_wind_is_said_not_silently_nan(case, wind, quantities, noted):
    line = brenlow.read_data_file(EXAMPLE)  # a line without wind
    line.conditions.wind = wind
    evaluation = line.evaluate()
    with warnings.catch_warnings(record=True) as said:
        warnings.simplefilter("always")
        profile = evaluation.profile(np.linspace(-50.0, 50.0, 21), quantities=quantities)
    notes = [str(w.message) for w in said if w.category is brenlow.BrenlowWarning]
    assert notes == (["no wind: ozone is carried nowhere, so it is not computed downwind"] if noted else [])
    if "ozone" in profile:
        # Downwind of the bundles the plume is not computed: NaN, never a number.
        assert np.isnan(profile.ozone).any() == noted
        assert np.all(np.isfinite(profile.ozone)) != noted


# A group at or below the ground is refused by the engine's check, with a
# message naming the group.
GROUND = [("on the ground", 0.0), ("below the ground", -1.0)]


@pytest.mark.parametrize("case, y", GROUND, ids=[c[0] for c in GROUND])
def test_a_group_at_or_below_the_ground_is_refused(case, y, tmp_path):
    line = brenlow.read_data_file(FLAT)
    line.groups[3].y = y
    for call in (line.check, line.evaluate, lambda: line.profile([0.0]), line.data_file_text,
                 lambda: line.write(tmp_path / "out.dat")):
        with pytest.raises(ValueError, match="^group 4 EARTH 1: "):
            call()
    assert list(tmp_path.iterdir()) == []


# Slips the engine warns of through every door, naming the group: a phase
# counted as an earth wire, a diameter typed in cm and the gradient it gives.
def two_phases_of_three():
    line = brenlow.read_data_file(EXAMPLE)
    line.conditions.wind = 2.0  # no note on ozone
    line.energized = 2
    return line


def diameter_in_cm():
    line = brenlow.read_data_file(EXAMPLE)
    line.conditions.wind = 2.0
    line.groups[0].diameter = 3.04
    return line


SLIPS = [
    ("phase counted as an earth wire", two_phases_of_three,
     ["group 3 PHASE C: counted as an earth wire (the general data give 2 phases or poles), yet at 303 kV:"]),
    ("diameter in cm", diameter_in_cm,
     ["group 1 PHASE A: subconductor diameter 3.04 mm is below 5 mm",
      "group 1 PHASE A: surface gradient 128.2 kV/cm (computed) is above 30 kV/cm, where air breaks down"]),
]


@pytest.mark.parametrize("door", range(len(doors(bipole(2.0)))), ids=[d[0] for d in doors(bipole(2.0))])
@pytest.mark.parametrize("case, line, starts", SLIPS, ids=[c[0] for c in SLIPS])
def test_a_likely_slip_is_said_through_every_door(case, line, starts, door):
    with pytest.warns(brenlow.BrenlowWarning) as said:
        doors(line())[door][1]()
    messages = [str(w.message) for w in said if w.category is brenlow.BrenlowWarning]
    assert len(messages) == len(starts), messages
    for message, start in zip(messages, starts):
        assert message.startswith(start), message


def test_a_unit_option_neither_metric_nor_english_is_refused(tmp_path):
    text = EXAMPLE.read_text().splitlines(keepends=True)
    text[2] = text[2].replace(" 0,0,", " 2,0,", 1)
    (tmp_path / "units.dat").write_text("".join(text))
    with pytest.raises(ValueError, match=r"unit option 2: 0 \(metric\) or 1 \(English units\) only"):
        brenlow.read_data_file(tmp_path / "units.dat")
