"""Objects made by __new__ and never initialised hold no value: every
method, property and function that meets one raises TypeError instead of
reading memory that holds none (which crashed the interpreter)."""
import copy
import pickle

import pytest

import brenlow
from conftest import FLAT

NOT_INITIALISED = "made by __new__ alone is not initialised"


def initialised():
    """One initialised object of each class, for the values a setter takes."""
    line = brenlow.read_data_file(FLAT)
    return {
        brenlow.Group: line.groups[0], brenlow.Conditions: line.conditions, brenlow.PointGroup: line.points[0],
        brenlow.Table: line.profile([0.0]), brenlow.Evaluation: line.evaluate(), brenlow.CrossSection: line,
    }


def bare(cls):
    return cls.__new__(cls)


# The arguments of each method; a method not named here takes none (a new
# method taking some fails below with a message other than the refusal).
ARGUMENTS = {
    "profile": ([0.0],), "at": (0.0, 1.0), "write": ("never-written.dat",), "__deepcopy__": ({},),
    "__getitem__": ("e",), "__getattr__": ("e",), "__contains__": ("e",),
}
# Ways of making a value, not uses of one.
MAKERS = {"__init__", "__setstate__"}
CLASSES = [brenlow.Group, brenlow.Conditions, brenlow.PointGroup, brenlow.Table, brenlow.Evaluation,
           brenlow.CrossSection]


def members():
    for cls in CLASSES:
        for name, member in vars(cls).items():
            if name in MAKERS or member is None or isinstance(member, str) or name == "__module__":
                continue
            yield cls, name, member


@pytest.mark.parametrize("cls, name, member", list(members()),
                         ids=[f"{c.__name__}.{n}" for c, n, _ in members()])
def test_every_member_refuses_an_uninitialised_object(cls, name, member):
    good = initialised()[cls]
    if isinstance(member, property):
        with pytest.raises(TypeError, match=NOT_INITIALISED):
            getattr(bare(cls), name)
        if member.fset is not None:
            with pytest.raises(TypeError, match=NOT_INITIALISED):
                setattr(bare(cls), name, getattr(good, name))
        return
    arguments = (good,) if name == "__eq__" else ARGUMENTS.get(name, ())
    with pytest.raises(TypeError, match=NOT_INITIALISED):
        getattr(bare(cls), name)(*arguments)


def uses_elsewhere():
    line = brenlow.read_data_file(FLAT)
    section = bare(brenlow.CrossSection)
    cases = [
        ("Evaluation of one", lambda: brenlow.Evaluation(section)),
        ("repr", lambda: repr(bare(brenlow.Evaluation))),
        ("str", lambda: str(bare(brenlow.Table))),
        ("copy.copy", lambda: copy.copy(bare(brenlow.Group))),
        ("copy.deepcopy", lambda: copy.deepcopy(bare(brenlow.CrossSection))),
        ("pickle", lambda: pickle.dumps(bare(brenlow.Conditions))),
        ("as the conditions", lambda: brenlow.CrossSection(conditions=bare(brenlow.Conditions))),
        ("set as the conditions", lambda: setattr(line, "conditions", bare(brenlow.Conditions))),
        ("compared with one", lambda: line.groups[0] == bare(brenlow.Group)),
        # Lists hold any object: the bare one is refused where the section is used.
        ("among the groups", lambda: brenlow.CrossSection([bare(brenlow.Group)], energized=1).profile([0.0])),
        ("among the points", lambda: brenlow.CrossSection(points=[bare(brenlow.PointGroup)]).lateral_points()),
    ]
    if hasattr(brenlow, "phasing"):
        cases += [
            ("phasing of one", lambda: brenlow.phasing(section, [[0, 1, 2]], "B", [0.0])),
            ("height of one", lambda: brenlow.height(section, {"B": 10.0}, [0.0])),
            ("edges of one", lambda: brenlow.edges([line, section], [0.0])),
        ]
    return cases


@pytest.mark.parametrize("case, call", uses_elsewhere(), ids=[c[0] for c in uses_elsewhere()])
def test_an_uninitialised_object_passed_on_is_refused(case, call):
    with pytest.raises(TypeError, match=NOT_INITIALISED):
        call()


def test_initialised_objects_are_untouched_by_the_refusal():
    # References into a section (its conditions, a group in its list) and
    # objects remade by pickle are initialised.
    line = brenlow.read_data_file(FLAT)
    line.conditions.rain = 2.0
    line.groups[1].y += 1.0
    again = pickle.loads(pickle.dumps(line))
    assert again == line and again.conditions.rain == 2.0
    assert copy.copy(line.points[0]) == line.points[0]
