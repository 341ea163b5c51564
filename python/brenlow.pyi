"""Brenlow: corona effects and power-frequency fields of an overhead line.

Metric units throughout, whatever the data file's units: m, mm (subconductor
diameter), cm (bundle spacing), kV line to ground, kA, degrees, kV/cm, MHz,
m/s, mm/hr, mmhos/m; E in kV/m, B in uT unless b_unit='mG' or 'G' (the print
and DIF files hold gauss: 1 G = 100 uT = 1000 mG), noise in dB(A) and
dB(uV/m), ozone in ppb. Every value the engine holds is single precision
(float32).
"""
import os
from typing import Iterable, Iterator, Literal, Sequence, Tuple, Union

import numpy as np
import numpy.typing as npt

_Path = Union[str, os.PathLike[str]]
_Positions = Union[float, npt.ArrayLike]

# A profile's columns, and the studies' names for them; taken in any case.
# AN and RI alone are rain.
Quantity = Literal["an_rain", "an_fair", "ri_rain", "ri_fair", "tv", "ozone", "e", "b",
                   "an_rain_l5", "an_fair_l5", "potential", "e_res", "b_res",
                   "e_ac", "e_dc", "b_ac", "b_dc", "e_ac_res", "b_ac_res", "potential_ac", "potential_dc",
                   "E", "B", "AN", "AN-FAIR", "RI", "RI-FAIR", "TV", "OZ", "E-RES", "B-RES",
                   "E-AC", "E-AC-RES", "E-DC", "B-AC", "B-AC-RES", "B-DC"]

__version__: str
"""The release, "MAJOR.MINOR.PATCH": the number the programs' --version print."""


class Error(ValueError):
    """What the engine refuses: a section that fails a check, a data file
    that cannot be read or written. The message is the engine's."""


class BrenlowWarning(UserWarning):
    """What is legal but probably not meant in an evaluated section (a
    current entered negative, ozone asked without wind), in the engine's words."""


class Group:
    """One conductor group: a bundle of subconductors (a phase or a pole),
    or an earth wire (by its place after CrossSection.energized)."""
    name: str
    """Name of the group (a data file holds 8 characters, Latin-1)."""
    ac: bool
    """True for an AC phase, False for a DC pole."""
    x: float
    """Horizontal position of the bundle centre, m."""
    y: float
    """Height of the bundle centre above ground, m."""
    subconductors: int
    """Number of subconductors (at least 1)."""
    diameter: float
    """Subconductor diameter, mm (above 0)."""
    spacing: float
    """Spacing of adjacent subconductors, cm (above 0 for a bundle)."""
    kv: float
    """Line-to-ground voltage, kV (rms for AC); sign: polarity of a DC pole."""
    phase: float
    """Phase angle of an AC phase, degrees; a DC pole's has no effect."""
    ka: float
    """Current, kA."""
    gradient: float
    """Maximum surface gradient, kV/cm: used when the conditions say given_gradients."""

    def __init__(self, name: str = "", *, ac: bool = True, x: float = 0.0, y: float = 0.0,
                 subconductors: int = 1, diameter: float = 0.0, spacing: float = 0.0, kv: float = 0.0,
                 phase: float = 0.0, ka: float = 0.0, gradient: float = 0.0) -> None: ...
    def copy(self) -> Group: ...
    def __copy__(self) -> Group: ...
    def __deepcopy__(self, memo: object) -> Group: ...
    def __eq__(self, other: object) -> bool: ...


class Conditions:
    """The conditions of an evaluation and the height and frequency of each
    quantity. The defaults of the heights, frequencies and ground
    conductivity are the bundled example lines': AN 1.5 m, RI 2 m at 1 MHz,
    TV 10 m at 75 MHz, OZ, EF and MF 1 m, 10 mmhos/m; wind, rain and
    altitude default to 0 (without wind, ozone is not computed downwind)."""
    wind: float
    """Wind speed, m/s (carries the ozone plume)."""
    rain: float
    """Rain rate, mm/hr."""
    altitude: float
    """Altitude above sea level, m."""
    ground_conductivity: float
    """Ground conductivity, mmhos/m."""
    an_height: float
    """Height of the audible noise microphone, m."""
    ri_height: float
    """Height of the radio antenna, m."""
    tv_height: float
    """Height of the television antenna, m."""
    oz_height: float
    """Height of the ozone sensor, m."""
    ef_height: float
    """Height of the electric field sensor, m."""
    mf_height: float
    """Height of the magnetic field sensor, m."""
    ri_frequency: float
    """Radio frequency, MHz."""
    tv_frequency: float
    """Television frequency, MHz."""
    given_gradients: bool
    """Use each Group.gradient instead of computing the gradients."""

    def __init__(self, *, wind: float = 0.0, rain: float = 0.0, altitude: float = 0.0,
                 ground_conductivity: float = 10.0, an_height: float = 1.5, ri_height: float = 2.0,
                 tv_height: float = 10.0, oz_height: float = 1.0, ef_height: float = 1.0,
                 mf_height: float = 1.0, ri_frequency: float = 1.0, tv_frequency: float = 75.0,
                 given_gradients: bool = False) -> None: ...
    def copy(self) -> Conditions: ...
    def __copy__(self) -> Conditions: ...
    def __deepcopy__(self, memo: object) -> Conditions: ...
    def __eq__(self, other: object) -> bool: ...


class PointGroup:
    """count lateral points from start, step apart, in the data file's units
    (m, or ft in an english section)."""
    count: int
    start: float
    step: float

    def __init__(self, count: int, start: float, step: float) -> None: ...
    def __eq__(self, other: object) -> bool: ...


class Table:
    """Named numpy columns in order, with their units: t["e"] or t.e."""

    @property
    def units(self) -> dict[str, str]:
        """The unit of each column by name ('' for a name column)."""
    def keys(self) -> list[str]: ...
    def values(self) -> list[np.ndarray]: ...
    def items(self) -> list[Tuple[str, np.ndarray]]: ...
    def to_dict(self) -> dict[str, np.ndarray]:
        """The columns as a plain dict of numpy arrays, in order."""
    def to_frame(self) -> "pandas.DataFrame":  # type: ignore[name-defined]  # noqa: F821
        """A pandas DataFrame of the columns (flattened when not 1-D), units in
        attrs["units"]. Raises ImportError when pandas is missing."""
    def __getitem__(self, name: str) -> np.ndarray: ...
    def __getattr__(self, name: str) -> np.ndarray: ...
    def __contains__(self, name: object) -> bool: ...
    def __iter__(self) -> Iterator[str]: ...
    def __len__(self) -> int: ...


class Evaluation:
    """One cross section evaluated: the gradients computed once, then any
    quantity at any point. Later changes to the section do not reach it."""

    def __init__(self, section: CrossSection) -> None: ...
    @property
    def singular(self) -> bool:
        """True when the potential coefficient matrix proved singular."""
    @property
    def section(self) -> CrossSection:
        """A copy of the section evaluated."""
    def profile(self, x: _Positions, quantities: Union[Quantity, Sequence[Quantity], None] = None, *,
                b_unit: str = "uT") -> Table:
        """Each quantity at lateral positions x (m, any shape), at the heights
        the conditions give: columns x (m) and the quantities (default: an_rain,
        an_fair, ri_rain, ri_fair, tv, ozone, e, b; also an_rain_l5, an_fair_l5,
        potential, e_res, b_res), float32. Names in any case, the studies' too
        (AN and RI alone are rain). E in kV/m, B in b_unit ('uT', 'mG', 'G').
        The AC phases' and DC poles' fields apart: e_ac, e_dc, b_ac, b_dc,
        e_ac_res, b_ac_res, potential_ac, potential_dc; a hybrid line has only
        these (e, b, e_res, b_res, potential raise ValueError there; the
        default lists e_ac, e_dc, b_ac, b_dc in place of e, b).
        A level not computed (TV from DC poles) is NaN. Without wind the ozone
        column is NaN downwind, and a BrenlowWarning says so."""
    def at(self, x: _Positions, y: _Positions, *, b_unit: str = "uT") -> Table:
        """E and B at lateral positions x and heights y (m, broadcast
        together): x, y, e, e_direction, e_vertical, e_vertical_phase,
        e_horizontal, e_horizontal_phase, potential, b, b_direction, ...,
        e_res, b_res (the resultants). E in kV/m, B in b_unit ('uT', 'mG', 'G').
        A hybrid line: e_ac..., potential_ac, b_ac..., e_dc..., potential_dc,
        b_dc..., e_ac_res, b_ac_res (its two fields apart). Positions within
        1000 km of the line, heights 0 m or above (ValueError otherwise)."""
    def gradients(self) -> Table:
        """Per group: name, gradient, computed_gradient, phase, corona_loss,
        ozone_production."""


class Span:
    """A cross section hung in a line of sagging level spans, in three
    dimensions: the section's heights at mid-span, each sag lifting the
    attachment points at the towers; the middle span evaluated, along
    measured from its first tower. Solved once on construction (Ctrl-C
    ends the solve: KeyboardInterrupt)."""

    def __init__(self, section: CrossSection, *, length: float, sag: Union[float, Iterable[float]],
                 earth_sag: Union[float, None] = None, spans: int = 3, elements: int = 0) -> None: ...
    def at(self, x: _Positions, along: _Positions, height: _Positions, *, b_unit: str = "uT") -> Table:
        """E and B at (x, along, height), m, broadcast together: x, along,
        height, e, e_lateral, e_lateral_phase, e_along, e_along_phase,
        e_vertical, e_vertical_phase (kV/m, degrees), b, b_lateral, ...
        (b_unit: uT by default, or "mG" or "G"; degrees). Positions within
        1000 km of the line, heights 0 m or above (ValueError otherwise)."""
    @property
    def section(self) -> CrossSection:
        """A copy of the section hung."""
    @property
    def length(self) -> float:
        """Length of each span, m."""
    @property
    def spans(self) -> int:
        """Spans in the line; the middle one is evaluated."""
    @property
    def sags(self) -> list[float]:
        """The sag of each group, m, in the section's order."""
    @property
    def elements(self) -> int:
        """Elements per span, as given or chosen."""


class IonFlow:
    """The ion flow under a line's DC poles in corona, by flux tracing under
    Deutsch's assumption (method="flux-tracing") or the coupled equations in
    full (method="full"): solved once on construction, then the values at the
    ground at any lateral points. Lines from pole to pole are not solved; AC
    conductors count at 0 V DC (notes says so for the line)."""

    def __init__(self, section: CrossSection, *, roughness: float = 0.45, air_density: Union[float, None] = None,
                 onset_gradient: Union[float, Iterable[float], None] = None,
                 onset_voltage: Union[float, Iterable[float], None] = None,
                 mobility_positive: float = 1.5e-4, mobility_negative: float = 1.8e-4, lines: int = 64,
                 method: str = "flux-tracing", wind: Union[float, None] = None,
                 recombination: Union[float, None] = None, element_size: Union[float, None] = None) -> None: ...
    def profile(self, x: _Positions) -> Table:
        """At the ground at x (m): x, e_nominal, e_total (kV/m), j (nA/m2,
        positive ions into the ground positive), rho (nC/m3)."""
    def densities(self, x: _Positions, y: _Positions) -> Table:
        """Full method: the ion densities at points (x, y) in m, any one shape:
        x, y (m), positive and negative (nC/m3, magnitudes); 0 inside a
        conductor, below the ground and beyond the solved domain."""
    @property
    def inter_pole_current(self) -> float:
        """Full method: from the positive poles to the negative ones through the air, mA/km."""
    @property
    def recombination_current(self) -> float:
        """Full method: of the inter-pole current, recombined in the air, mA/km."""
    @property
    def recombination_share(self) -> float:
        """Full method: recombination_current / inter_pole_current (0 without inter-pole current)."""
    @property
    def poles(self) -> list[dict]:
        """Per DC pole: group, name, kv, max_gradient, onset_gradient (kV/cm),
        onset_voltage (kV), corona, current, ground_current, conductor_current
        (mA/km), loss (kW/km), lines_ground, lines_conductors,
        lines_between_poles, lines_lost, unsolved_flux."""
    @property
    def notes(self) -> list[str]:
        """What the values leave out on this line."""
    @property
    def air_density(self) -> float:
        """Relative air density used."""
    @property
    def section(self) -> CrossSection:
        """A copy of the section."""


class CrossSection:
    """One cross section of an overhead line and what a data file holds with it.
    Built with groups, it needs energized= (how many lead the list) or
    earth_wires= (how many close it); a count that does not fit is a ValueError.
    Evaluating it shows the engine's warnings as BrenlowWarning."""
    titles: Tuple[str, str]
    """The two title lines (a data file holds 72 characters each)."""
    groups: list[Group]
    """The conductor groups: energized first, then earth wires (at most 50)."""
    energized: int | None
    """How many of the groups, from the first, are energized phases or poles
    (None: not yet said; a section with groups is refused until it is).
    Checked against the groups when set."""
    conditions: Conditions
    """The conditions (changed in place)."""
    english: bool
    """The data file's units: feet, inches, mi/hr, in/hr (values here stay metric)."""
    options: str
    """The report options record (45 characters), e.g. 'ALL' or 'EF MF COMB'."""
    points: list[PointGroup]
    """The data file's lateral point groups, in its units (ft when english)."""

    def __init__(self, groups: Iterable[Group] = (), *, energized: int | None = None,
                 earth_wires: int | None = None, titles: Tuple[str, str] = ("", ""), conditions: Conditions | None = None,
                 points: Iterable[PointGroup | Tuple[int, float, float]] = (), english: bool = False,
                 options: str = "ALL", wind: float = ..., rain: float = ..., altitude: float = ...,
                 ground_conductivity: float = ..., an_height: float = ..., ri_height: float = ...,
                 tv_height: float = ..., oz_height: float = ..., ef_height: float = ...,
                 mf_height: float = ..., ri_frequency: float = ..., tv_frequency: float = ...,
                 given_gradients: bool = ...) -> None: ...
    def lateral_points(self) -> npt.NDArray[np.float32]:
        """The lateral points the point groups make, in order, in metres."""
    def check(self) -> None:
        """Raises Error with the engine's message when tesk31 would refuse the section."""
    def evaluate(self) -> Evaluation:
        """An Evaluation of the section as it is now."""
    def profile(self, x: _Positions, quantities: Union[Quantity, Sequence[Quantity], None] = None, *,
                b_unit: str = "uT") -> Table:
        """Each quantity at lateral positions x (see Evaluation.profile)."""
    def at(self, x: _Positions, y: _Positions, *, b_unit: str = "uT") -> Table:
        """E and B at positions x and heights y (see Evaluation.at)."""
    def gradients(self) -> Table:
        """The gradient step's result for each group (see Evaluation.gradients)."""
    def data_file_text(self) -> str:
        """The section as data file text that tesk31 reads."""
    def write(self, path: _Path) -> None:
        """Writes the section as a data file that tesk31 reads."""
    def copy(self) -> CrossSection: ...
    def __copy__(self) -> CrossSection: ...
    def __deepcopy__(self, memo: object) -> CrossSection: ...
    def __eq__(self, other: object) -> bool: ...


def read_data_file(path: _Path) -> CrossSection:
    """Reads a data file as tesk31 reads it; Error naming the file and record when it cannot."""
def parse_data_file(text: str, name: str = "data file") -> CrossSection:
    """Reads data file text held in memory; name stands for the file in messages."""


# The design studies (in a module built with them). B in b_unit: 'uT', 'mG' or 'G'.
StudyQuantity = Literal["E", "B", "AN", "AN-FAIR", "RI", "RI-RAIN", "TV", "OZ"]


def phasing(section: CrossSection, circuits: Iterable[Iterable[int]],
            minimize: Union[StudyQuantity, Sequence[StudyQuantity]], at: _Positions, *, top: int = 10,
            b_unit: str = "uT", threads: int = 0, time_limit: float = 600.0) -> dict:
    """The best phasings: every assignment of each circuit's phase angles to its
    groups, counted once per relabelling. A dict: total, distinct, relabellings,
    examined, stopped, front, original and listed (each angles, scores, values,
    section, number). threads: 0 (one per core) to 256. A level not computed
    is NaN. Ctrl-C raises KeyboardInterrupt with that dict as `result`."""
def height(section: CrossSection, limits: dict[StudyQuantity, float], at: _Positions, *,
           groups: Iterable[int] | None = None, b_unit: str = "uT") -> dict:
    """The smallest common raise meeting every limit at every point. A dict:
    found, raise (m, or None), section, before, after, evaluations. A limit on
    a level the line does not give (TV on a DC line) is refused."""
def edges(sections: Union[CrossSection, Iterable[CrossSection]], at: _Positions, *, b_unit: str = "uT") -> Table:
    """Every quantity of each section at each point and its largest surface gradient."""


# Limits: a section judged against a limit set, a shipped one by name or a
# TOML file (the manual's limits page).
def limit_sets() -> list[str]:
    """The names of the limit sets shipped with the module."""
def comply(section: CrossSection, limits: _Path, edge: Union[float, tuple[float, float]], *,
           frequency: int = 60, b_unit: str = "uT") -> Table:
    """Each limit of the set judged on the section: at the edges (X: -X and X,
    or (left, right), m), within the right-of-way or anywhere. A Table, one
    row per limit: quantity, judged, where, frequency, class, limit, value,
    unit, x (m), at, margin (value / limit; value - limit in dB for AN, RI, TV),
    margin_unit, result ("PASS", "FAIL", "N/A"), reason, source,
    line_kv, line_frequency; NaN value, x and margin where a limit does not
    apply (never a pass). to_frame() gives a pandas DataFrame."""
