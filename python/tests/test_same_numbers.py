"""The module's numbers are the engine's and tesk31's, bit for bit: every
bundled line's profile against tesk31's DIF file (its values written with
16 significant digits, the exact float32), the fields at other heights,
and sections changed and written from Python."""
import numpy as np
import pytest

import brenlow
from conftest import DIF_COLUMNS, EXAMPLE, EXAMPLES, FLAT, TEST_LINES, run_tesk31, same_bits

LINES = EXAMPLES + TEST_LINES
LEVELS = {"an_rain", "an_fair", "ri_rain", "ri_fair", "tv"}


@pytest.mark.parametrize("path", LINES, ids=[p.name for p in LINES])
def test_profile_equals_tesk31(path, tmp_path):
    section = brenlow.read_data_file(path)
    dif = run_tesk31(path, tmp_path)
    profile = section.profile(section.lateral_points(), b_unit="G")  # the DIF file holds gauss
    assert dif.shape == (len(section.lateral_points()), 1 + len(DIF_COLUMNS))
    # The DIF distance is in the file's units: metres, or feet (x / 0.3048 in float32).
    assert same_bits(in_file_units(section, profile.x), dif[:, 0])
    assert_profile_is_the_dif(profile, dif)


def test_a_level_not_computed_is_nan():
    bipole = brenlow.read_data_file(EXAMPLES[0].parent / "500kv_dc_bipole.dat")
    profile = bipole.profile([-30.0, 0.0, 30.0], ["tv", "an_fair", "e"])
    assert np.isnan(profile.tv).all() and np.isfinite(profile.e).all()
    assert not (profile.an_fair <= -999).any()
    assert np.isfinite(brenlow.read_data_file(FLAT).profile([0.0], ["tv"]).tv)


def assert_profile_is_the_dif(profile, dif):
    """Every column as tesk31 wrote it, bit for bit; where it prints a
    level's marker (-999.9: not computed), NaN."""
    for i, name in enumerate(DIF_COLUMNS, start=1):
        expected = np.where(dif[:, i] <= -999, np.float32(np.nan), dif[:, i]) if name in LEVELS else dif[:, i]
        assert same_bits(profile[name], expected), name


def in_file_units(section, x):
    """Lateral distances as tesk31 prints them: in feet for an English file."""
    x = np.asarray(x, dtype=np.float32)
    return x / np.float32(0.3048) if section.english else x


@pytest.mark.parametrize("height", [0.0, 0.5, 2.5, 7.25, 14.0])
def test_fields_at_any_height_equal_tesk31(height, tmp_path):
    # tesk31 evaluates E and B at the heights of record 5 (7th: magnetic,
    # 9th: electric): a copy of the example with both at `height`.
    path = EXAMPLE
    lines = path.read_text(encoding="latin-1").splitlines()
    values = lines[4].split(",")
    values[6] = values[8] = f"{height:.3f}"
    lines[4] = ",".join(values)
    changed = tmp_path / "heights.dat"
    changed.write_text("\n".join(lines) + "\n", encoding="latin-1")
    dif = run_tesk31(changed, tmp_path)
    section = brenlow.read_data_file(path)
    fields = section.at(section.lateral_points(), height, b_unit="G")
    assert same_bits(fields.e, dif[:, 7])
    assert same_bits(fields.b, dif[:, 8])
    # The profile's e and b are the fields at the conditions' heights.
    section.conditions.ef_height = section.conditions.mf_height = height
    profile = section.profile(section.lateral_points(), quantities=["e", "b"], b_unit="G")
    assert same_bits(profile.e, fields.e) and same_bits(profile.b, fields.b)


def page_rows(print_file, title, columns):
    """The point lines of a field page: every line of `columns` numbers
    between the page's title and the next page."""
    lines = print_file.read_text(encoding="latin-1").splitlines()
    start = next(i for i, line in enumerate(lines) if line.startswith("1" + title))
    rows = []
    for line in lines[start + 1:]:
        if line.startswith("1"):
            break
        try:
            values = [float(token) for token in line.split()]
        except ValueError:
            continue
        if len(values) == columns:
            rows.append(line.split())
    return rows


FIELD_PAGES = [
    ("ELECTRIC FIELD CALCULATIONS",
     ["x", "e", "e_direction", "e_vertical", "e_vertical_phase", "e_horizontal", "e_horizontal_phase", "potential"]),
    ("MAGNETIC FIELD CALCULATIONS",
     ["x", "b", "b_direction", "b_vertical", "b_vertical_phase", "b_horizontal", "b_horizontal_phase"]),
]


@pytest.mark.parametrize("path", LINES, ids=[p.name for p in LINES])
def test_field_components_are_the_field_pages(path, tmp_path):
    # Every component of the ellipses, to the digits the field pages print.
    section = brenlow.read_data_file(path)
    run_tesk31(path, tmp_path)
    xs = section.lateral_points()
    fields = {"ELECTRIC": section.at(xs, section.conditions.ef_height),
              "MAGNETIC": section.at(xs, section.conditions.mf_height, b_unit="G")}
    for title, names in FIELD_PAGES:
        rows = page_rows(tmp_path / "run.prt", title, len(names))
        assert len(rows) == len(xs), title
        table = fields[title.split()[0]]
        printed_x = in_file_units(section, table["x"])
        for row, i in zip(rows, range(len(xs))):
            for token, name in zip(row, names):
                value = printed_x[i] if name == "x" else table[name][i]
                decimals = len(token.split(".")[1]) if "." in token else 0
                assert f"{float(value):.{decimals}f}" == token or (
                    token == "NaN" and np.isnan(value)), (title, name, i, token)


@pytest.mark.parametrize("english", [False, True], ids=["metric", "english"])
def test_section_changed_in_python_and_written_runs_the_same_in_tesk31(english, tmp_path):
    section = brenlow.read_data_file(FLAT)
    for group in section.groups:
        group.y += 2.0
    section.groups[1].phase = 0.0  # a phasing of its own
    section.conditions.wind = 3.0
    section.english = english
    section.write(tmp_path / "changed.dat")
    dif = run_tesk31(tmp_path / "changed.dat", tmp_path)
    again = brenlow.read_data_file(tmp_path / "changed.dat")
    if not english:
        # Every value fits the layout's decimals: the file holds the section exactly.
        assert again == section
    profile = again.profile(again.lateral_points(), b_unit="G")
    assert_profile_is_the_dif(profile, dif)


def test_any_number_of_points_in_any_shape():
    section = brenlow.read_data_file(FLAT)
    xs = section.lateral_points()
    small = section.profile(xs)
    # Many thousands of points, evaluated on every core: the same values.
    large = section.profile(np.tile(xs, 3000))
    grid = section.profile(xs.reshape(-1, 1) + np.zeros((1, 4), dtype=np.float32))
    for name in small:
        assert same_bits(large[name], np.tile(small[name], 3000)), name
        assert grid[name].shape == (len(xs), 4)
        assert same_bits(grid[name][:, 3], small[name]), name
    # A scalar gives scalars; x as a list or a float64 array the same numbers.
    assert np.ndim(section.profile(30.0).e) == 0
    assert section.profile(float(xs[3])).b == small.b[3]
    assert same_bits(section.profile(xs.astype(np.float64).tolist()).e, small.e)


def test_evaluation_keeps_the_section_it_was_given():
    section = brenlow.read_data_file(FLAT)
    evaluation = section.evaluate()
    before = evaluation.profile([0.0, 20.0])
    section.groups[0].y += 5.0
    section.groups.pop()
    after = evaluation.profile([0.0, 20.0])
    assert all(same_bits(before[name], after[name]) for name in before)
    assert not same_bits(section.profile([0.0, 20.0]).e, before.e)
    assert len(evaluation.section.groups) == len(section.groups) + 1


def test_gradients_are_the_evaluations():
    section = brenlow.read_data_file(FLAT)
    g = section.gradients()
    assert list(g.name) == [group.name for group in section.groups]
    assert g.gradient.dtype == np.float32 and len(g.gradient) == len(section.groups)
    # Given gradients are used as given; the computed ones stay as computed.
    section.conditions.given_gradients = True
    for i, group in enumerate(section.groups):
        group.gradient = 12.5 + i
    given = section.gradients()
    assert same_bits(given.gradient, 12.5 + np.arange(len(section.groups), dtype=np.float32))
    assert same_bits(given.computed_gradient, g.computed_gradient)
