"""The type stub beside the module names what the module has: every public
class, function, method and property, and nothing it lacks."""
import ast
import pathlib

import brenlow


def stub_names():
    tree = ast.parse((pathlib.Path(brenlow.__file__).parent / "brenlow.pyi").read_text())
    names = {}
    for node in tree.body:
        if isinstance(node, ast.ClassDef):
            members = set()
            for item in node.body:
                if isinstance(item, ast.FunctionDef) and item.name != "__init__":
                    members.add(item.name)
                elif isinstance(item, ast.AnnAssign):
                    members.add(item.target.id)
            names[node.name] = members
        elif isinstance(node, ast.FunctionDef):
            names[node.name] = None
    return names


def test_the_stub_matches_the_module():
    stub = stub_names()
    public = {name for name in dir(brenlow) if not name.startswith("_")}
    if not hasattr(brenlow, "phasing"):  # built without the studies
        stub = {name: members for name, members in stub.items() if name not in ("phasing", "height", "edges")}
    assert public == set(stub), public ^ set(stub)
    for name, members in stub.items():
        if members is None:
            assert callable(getattr(brenlow, name)) and getattr(brenlow, name).__doc__
            continue
        cls = getattr(brenlow, name)
        own = {m for m in vars(cls) if not m.startswith("_") or m in ("__eq__", "__copy__",
                                                                      "__deepcopy__", "__getitem__",
                                                                      "__getattr__", "__contains__",
                                                                      "__iter__", "__len__")}
        if name == "Error":
            continue
        assert own == members, (name, own ^ members)
        assert cls.__doc__
