"""Objects made by __new__ and never initialised hold no value: every
method, property and function that meets one raises TypeError instead of
reading memory that holds none (which crashed the interpreter)."""
import copy
import inspect
import os
import pathlib
import pickle
import subprocess
import sys
import tempfile

import pytest

import brenlow
from conftest import FLAT, ROOT

NOT_INITIALISED = "made by __new__ alone is not initialised"


def initialised():
    """One initialised object of each class, for the values a setter takes."""
    line = brenlow.read_data_file(FLAT)
    return {
        brenlow.Group: line.groups[0], brenlow.Conditions: line.conditions, brenlow.PointGroup: line.points[0],
        brenlow.Table: line.profile([0.0]), brenlow.Evaluation: line.evaluate(), brenlow.CrossSection: line,
        brenlow.Span: brenlow.Span(line, length=300, sag=9, elements=8),
        brenlow.IonFlow: brenlow.IonFlow(brenlow.read_data_file(ROOT / "examples" / "500kv_dc_bipole.dat")),
    }


def module_classes():
    """Every class the module holds, but its exception and warning."""
    return [cls for _, cls in inspect.getmembers(brenlow, inspect.isclass) if not issubclass(cls, BaseException)]


def bare(cls):
    return cls.__new__(cls)


# The arguments of each method; a method not named here takes none (a new
# method taking some fails below with a message other than the refusal).
ARGUMENTS = {
    "profile": ([0.0],), "at": (0.0, 1.0), "densities": ([0.0], [1.0]), "write": ("never-written.dat",), "__deepcopy__": ({},),
    "__getitem__": ("e",), "__getattr__": ("e",), "__contains__": ("e",),
}
SPAN_ARGUMENTS = {"at": (0.0, 0.0, 1.0)}
# Ways of making a value, not uses of one.
MAKERS = {"__init__", "__setstate__"}


def members(cls):
    for name, member in vars(cls).items():
        if name in MAKERS or member is None or isinstance(member, str) or name == "__module__":
            continue
        yield name, member


def uses(cls):
    """Each use of a bare object of the class: (name, what it does)."""
    good = initialised()[cls]
    arguments = SPAN_ARGUMENTS if cls is brenlow.Span else ARGUMENTS
    for name, member in members(cls):
        if isinstance(member, property):
            yield name, lambda name=name: getattr(bare(cls), name)
            if member.fset is not None:
                yield name + " =", lambda name=name: setattr(bare(cls), name, getattr(good, name))
        else:
            given = (good,) if name == "__eq__" else arguments.get(name, ())
            yield name, lambda name=name, given=given: getattr(bare(cls), name)(*given)
    yield "repr", lambda: repr(bare(cls))


def refusals(class_name):
    """Run in a child process: tries every use of a bare object of the
    class, saying which it tries first, so that a crash names it."""
    for name, use in uses(getattr(brenlow, class_name)):
        print("trying", name, flush=True)
        try:
            use()
            print("accepted", name, flush=True)
        except TypeError as e:
            print("refused" if NOT_INITIALISED in str(e) else f"other TypeError {e}", name, flush=True)
        except Exception as e:  # noqa: BLE001 - reported to the parent
            print(f"other {type(e).__name__} {e}", name, flush=True)


def test_every_class_has_an_initialised_example():
    # A class added to the module is walked below once it has one here.
    assert set(module_classes()) == set(initialised())


@pytest.mark.parametrize("cls", module_classes(), ids=lambda c: c.__name__)
def test_every_use_of_an_uninitialised_object_is_refused(cls):
    # In a child process: a use that crashes fails this test, not pytest.
    tests = pathlib.Path(__file__).parent
    module = pathlib.Path(brenlow.__file__).parent
    code = (f"import sys; sys.path[:0] = [{str(module)!r}, {str(tests)!r}]; import test_uninitialised as t; "
            f"t.refusals({cls.__name__!r})")
    with tempfile.TemporaryDirectory() as work:
        child = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=120,
                               cwd=work, env=dict(os.environ, PYTHONDONTWRITEBYTECODE="1"))
    lines = child.stdout.splitlines()
    assert child.returncode == 0, f"status {child.returncode} after {lines[-1:]}: {child.stderr[-2000:]}"
    tried = [line[len("trying "):] for line in lines if line.startswith("trying ")]
    assert len(tried) >= 3
    assert [line for line in lines if not line.startswith("trying ")] == [f"refused {n}" for n in tried]


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
    cases.append(("Span of one", lambda: brenlow.Span(section, length=300, sag=9)))
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
