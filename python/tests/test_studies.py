"""The design studies from Python: arrangements counted once per
relabelling, the listed ones evaluated by the engine, the smallest raise,
the edge tables; refused requests with the study's message."""
import csv
import os
import signal
import subprocess
import threading

import numpy as np
import pytest

import brenlow
from conftest import EXAMPLES, FLAT, ROOT, program_path, same_bits

if not hasattr(brenlow, "phasing"):
    pytest.skip("the module was built without the studies", allow_module_level=True)

AT = [-30.0, 30.0]
BIPOLE = ROOT / "examples" / "500kv_dc_bipole.dat"


def double_circuit():
    """Two 3-phase circuits one above the other, no earth wire."""
    phase = dict(subconductors=2, diameter=30.0, spacing=45.0, kv=230.0, ka=1.5)
    groups = [brenlow.Group(f"{c}{n}", x=x, y=y, phase=angle, **phase)
              for n, y in ((1, 20.0), (2, 30.0))
              for c, x, angle in (("A", -10.0, 0.0), ("B", 0.0, 120.0), ("C", 10.0, 240.0))]
    return brenlow.CrossSection(groups, energized=6, titles=("DOUBLE CIRCUIT", ""), points=[(21, -50.0, 5.0)],
                                rain=1.0, an_height=1.5, ri_height=2.0, tv_height=10.0, oz_height=1.0,
                                ri_frequency=1.0, tv_frequency=75.0, ef_height=1.0, mf_height=1.0,
                                ground_conductivity=10.0)


def test_arrangements_are_counted_once_per_relabelling():
    one = brenlow.phasing(brenlow.read_data_file(FLAT), [[0, 1, 2]], "B", AT, top=100)
    assert (one["total"], one["relabellings"], one["distinct"]) == (6, 6, 1)
    two = brenlow.phasing(double_circuit(), [[0, 1, 2], [3, 4, 5]], "B", AT, top=100)
    assert (two["total"], two["relabellings"], two["distinct"]) == (36, 6, 6)
    assert len(two["listed"]) == 6 and not two["front"]


def test_the_listed_arrangements_are_the_engines_values():
    result = brenlow.phasing(double_circuit(), [[0, 1, 2], [3, 4, 5]], ["B"], AT, top=3)
    scores = [entry["scores"]["B"] for entry in result["listed"]]
    assert scores == sorted(scores) and scores[0] <= result["original"]["scores"]["B"]
    for entry in [result["original"]] + result["listed"]:
        section = entry["section"]
        assert [g.phase for g in section.groups] == [a for circuit in entry["angles"] for a in circuit]
        b = section.profile(AT, quantities="b").b  # uT, as the study gives it
        assert same_bits(entry["values"]["B"], b)
        assert entry["scores"]["B"] == b.max()
    # The best phasing moves only the angles.
    best = result["listed"][0]["section"]
    assert [(g.x, g.y, g.kv) for g in best.groups] == [(g.x, g.y, g.kv) for g in double_circuit().groups]


def test_two_quantities_give_the_trade_off_front():
    result = brenlow.phasing(double_circuit(), [[0, 1, 2], [3, 4, 5]], ["B", "E"], AT)
    assert result["front"] and result["listed"]
    front = [(e["scores"]["B"], e["scores"]["E"]) for e in result["listed"]]
    for b, e in front:
        assert not any(b2 <= b and e2 <= e and (b2, e2) != (b, e) for b2, e2 in front)


def test_the_smallest_raise():
    line = brenlow.read_data_file(FLAT)
    now = line.profile(AT, quantities="b").b.max()  # uT
    met = brenlow.height(line, {"B": float(now) + 1.0}, AT)
    assert met["found"] and met["raise"] == 0.0
    limit = float(now) * 0.8
    result = brenlow.height(line, {"B": limit}, AT)
    assert result["found"] and result["raise"] > 0
    assert result["after"]["B"].max() <= limit < result["before"]["B"].max()
    raised = result["section"]
    assert raised.groups[0].y == pytest.approx(line.groups[0].y + result["raise"], abs=1e-4)
    # 1 cm less does not meet the limit.
    lower = line.copy()
    for g in lower.groups:
        g.y += result["raise"] - 0.01
    assert lower.profile(AT, quantities="b").b.max() > limit
    never = brenlow.height(line, {"B": 0.0}, AT, groups=[0, 1, 2])
    assert not never["found"] and never["raise"] is None and never["section"] is None


def test_edge_tables_are_the_profiles():
    sections = [brenlow.read_data_file(path) for path in EXAMPLES]
    table = brenlow.edges(sections, AT)
    assert list(table.section) == [i for i in range(len(sections)) for _ in AT]
    assert same_bits(table.x, np.tile(np.float32(AT), len(sections)))
    for i, section in enumerate(sections):
        rows = table.section == i
        profile = section.profile(AT)
        assert same_bits(table.E[rows], profile.e) and same_bits(table.AN[rows], profile.an_rain)
        assert same_bits(table.B[rows], profile.b)
        assert same_bits(table.RI[rows], profile.ri_rain)  # rain, the default weather
        assert same_bits(table["RI-FAIR"][rows], profile.ri_fair)
        gradients = section.gradients().gradient[: section.energized]
        assert np.all(table.max_gradient[rows] == np.abs(gradients).max())
    assert table.units["B"] == "uT" and brenlow.edges(sections[0], AT, b_unit="mG").units["B"] == "mG"


def test_refused_study_requests():
    line = brenlow.read_data_file(FLAT)
    cases = [
        (lambda: brenlow.phasing(line, [[0, 1, 3]], "B", AT), brenlow.Error, ""),
        (lambda: brenlow.phasing(line, [[0, 1, 7]], "B", AT), ValueError, "group index 7 is not one of"),
        (lambda: brenlow.phasing(line, [[0, 1, 2]], "Q", AT), ValueError, "unknown study quantity 'Q'"),
        (lambda: brenlow.phasing(line, [[0, 1, 2]], "B", []), ValueError, "at: give one or more"),
        (lambda: brenlow.height(line, {"B": 10.0}, AT, b_unit="T"), ValueError, "unknown b_unit 'T'"),
        (lambda: brenlow.height(line, {}, AT), ValueError, "no limit given"),
        (lambda: brenlow.edges([line, "x"], AT), TypeError, "must be a CrossSection, not str"),
        # Listing without bound would grow without bound: capped as on the command line.
        (lambda: brenlow.phasing(line, [[0, 1, 2]], "B", AT, top=10**8), ValueError, "top: from 1 to 100000"),
        (lambda: brenlow.phasing(line, [[0, 1, 2]], "B", AT, time_limit=0), ValueError, "time_limit"),
        # Threads are capped as on the command line: each costs a stack.
        (lambda: brenlow.phasing(line, [[0, 1, 2]], "B", AT, threads=600), ValueError,
         r"threads: from 0 \(one per core\) to 256, not 600"),
        (lambda: brenlow.phasing(line, [[0, 1, 2]], "B", AT, threads=-1), ValueError, "not -1"),
        # A level the line does not give meets any limit: refused.
        (lambda: brenlow.height(brenlow.read_data_file(BIPOLE), {"TV": 1.0}, AT), brenlow.Error,
         "TV is not computed for a DC line"),
    ]
    for call, kind, message in cases:
        with pytest.raises(kind, match=message):
            call()


def test_levels_not_computed_are_nan():
    # TV from DC poles only is not computed: NaN, never the -999.9 marker.
    bipole = brenlow.read_data_file(BIPOLE)
    table = brenlow.edges([bipole, brenlow.read_data_file(FLAT)], AT)
    dc = table["section"] == 0
    assert np.isnan(table["TV"][dc]).all() and np.isfinite(table["TV"][~dc]).all()
    assert np.isfinite(table["E"]).all() and not (table["AN"] <= -999).any()
    raised = brenlow.height(bipole, {"E": 100.0}, AT)
    assert raised["found"] and np.isfinite(raised["before"]["E"]).all()


def towers(n):
    """n double-circuit towers side by side: 2n three-phase circuits."""
    phase = dict(subconductors=2, diameter=30.0, spacing=45.0, kv=230.0, ka=1.5)
    groups = [brenlow.Group(f"T{t}{side}{k}", x=40.0 * t + sign * (8.0 if k == 2 else 6.5), y=28.0 - 7.0 * k,
                            phase=angle, **phase)
              for t in range(n) for side, sign in (("L", -1.0), ("R", 1.0))
              for k, angle in ((1, 0.0), (2, 240.0), (3, 120.0))]
    return brenlow.CrossSection(groups, energized=len(groups), titles=("TOWERS", ""), points=[(21, -50.0, 5.0)],
                                rain=1.0, an_height=1.5, ri_height=2.0, tv_height=10.0, oz_height=1.0,
                                ri_frequency=1.0, tv_frequency=75.0, ef_height=1.0, mf_height=1.0,
                                ground_conductivity=10.0, wind=2.0)


def circuits(k):
    return [[3 * c, 3 * c + 1, 3 * c + 2] for c in range(k)]


def test_ctrl_c_stops_only_the_search_of_the_main_thread():
    # Ozone is ranked by the engine itself: eight circuits take minutes, five
    # (beside a sixth left as it is: every arrangement distinct) a second or two.
    other = {}
    thread = threading.Thread(target=lambda: other.update(
        brenlow.phasing(towers(3), circuits(5), "OZ", AT, threads=1)))
    thread.start()
    timer = threading.Timer(0.3, lambda: os.kill(os.getpid(), signal.SIGINT))
    timer.start()
    with pytest.raises(KeyboardInterrupt) as stopped:
        brenlow.phasing(towers(4), circuits(8), "OZ", AT, threads=1, time_limit=1e6)
    timer.join()
    thread.join()
    result = stopped.value.result
    assert result["stopped"] and 0 <= result["examined"] < result["distinct"] == 279936
    assert not other["stopped"] and other["examined"] == other["distinct"] == 7776 and other["listed"]


def test_a_search_past_its_time_limit_is_refused():
    with pytest.raises(brenlow.Error, match="more than the time limit of 0.01 s"):
        brenlow.phasing(towers(4), circuits(8), "OZ", AT, threads=1, time_limit=0.01)
    done = brenlow.phasing(double_circuit(), [[0, 1, 2], [3, 4, 5]], "B", AT)
    assert not done["stopped"] and done["examined"] == done["distinct"] == 6


def study_csv(tmp_path, *args):
    """tesk31-study's table as written with --csv: its numbers read back to the same floats."""
    result = subprocess.run([str(program_path("tesk31-study")), *args, "--csv", str(tmp_path / "out.csv")],
                            capture_output=True, text=True, cwd=tmp_path)
    assert result.returncode == 0, result.stderr
    with open(tmp_path / "out.csv", newline="") as f:
        return list(csv.reader(f))[1:]


def test_the_same_as_tesk31_study(tmp_path):
    path = ROOT / "examples" / "345kv_double_circuit.dat"
    line = brenlow.read_data_file(path)
    rows = study_csv(tmp_path, "phasing", str(path), "--circuit", "1,2,3", "--circuit", "4,5,6",
                     "--minimize", "B", "--at", "-30", "--at", "30", "--top", "4")
    result = brenlow.phasing(line, [[0, 1, 2], [3, 4, 5]], "B", [-30.0, 30.0], top=4)
    for row, entry in zip(rows, [result["original"]] + result["listed"]):
        assert [float(a) for a in row[1:7]] == [a for circuit in entry["angles"] for a in circuit]
        assert same_bits(np.float32([float(v) for v in row[7:9]]), entry["values"]["B"])
    assert len(rows) == 1 + len(result["listed"])

    lines = [line, brenlow.read_data_file(ROOT / "examples" / "example.dat")]
    rows = study_csv(tmp_path, "edges", str(path), str(ROOT / "examples" / "example.dat"), "--at", "-30", "--at", "30")
    table = brenlow.edges(lines, [-30.0, 30.0])
    names = ["E", "E-RES", "B", "B-RES", "AN", "AN-FAIR", "RI", "RI-FAIR", "TV", "OZ", "max_gradient"]
    for i, row in enumerate(rows):
        # An empty field: ozone downwind of a line without wind, not computed.
        assert same_bits(np.float32([float(v) if v else np.nan for v in row[2:]]),
                         np.float32([table[n][i] for n in names])), row

