// The phasing search: the ranking by superposition lists what the engine
// lists when it scores every arrangement itself; the front is the one a
// brute force over the engine's values gives; what is listed is what the
// written data file gives; bad circuits are refused.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <system_error>
#include <thread>
#include <tuple>

#include "study/phasing.hpp"
#include "study/progress.hpp"
#include "study/section_tools.hpp"
#include "study/test_lines.hpp"

namespace {

using study::Quantity;

study::PhasingRequest double_circuit(std::vector<Quantity> quantities) {
  study::PhasingRequest r;
  r.section = study_test::double_circuit_line();
  r.circuits = {{0, 1, 2}, {3, 4, 5}};
  r.quantities = std::move(quantities);
  r.at = {-30.0f, 25.0f};
  r.top = 6;
  r.threads = 1;
  return r;
}

std::vector<std::vector<float>> scores_of(const study::PhasingResult& r) {
  std::vector<std::vector<float>> out;
  for (const study::Ranked& x : r.listed) out.push_back(x.scores);
  return out;
}

class RankingAgrees : public ::testing::TestWithParam<Quantity> {};

TEST_P(RankingAgrees, SuperpositionListsWhatTheEngineLists) {
  study::PhasingRequest request = double_circuit({GetParam()});
  const study::PhasingResult fast = study::search_phasings(request, nullptr);
  request.fast_ranking = false;
  const study::PhasingResult engine = study::search_phasings(request, nullptr);
  EXPECT_TRUE(fast.fast_ranking);
  EXPECT_FALSE(engine.fast_ranking);
  EXPECT_EQ(fast.total, 36u);
  EXPECT_EQ(fast.distinct, 6u);
  EXPECT_EQ(fast.examined, 6u);
  ASSERT_EQ(fast.listed.size(), 6u);
  EXPECT_EQ(scores_of(fast), scores_of(engine));
  for (std::size_t i = 1; i < fast.listed.size(); ++i)
    EXPECT_LE(fast.listed[i - 1].scores[0], fast.listed[i].scores[0]);
}

INSTANTIATE_TEST_SUITE_P(Quantities, RankingAgrees,
                         ::testing::Values(Quantity::e, Quantity::b, Quantity::an, Quantity::an_fair, Quantity::ri,
                                           Quantity::ri_fair, Quantity::tv, Quantity::e_res, Quantity::b_res),
                         [](const auto& info) {
                           std::string n(study::name(info.param));
                           n.erase(std::remove(n.begin(), n.end(), '-'), n.end());
                           return n;
                         });

// The six-circuit line, its best five for B at two points.
study::PhasingRequest six_circuits_for_b() {
  study::PhasingRequest request = double_circuit({Quantity::b});
  request.section = study_test::six_circuit_line();
  request.circuits = study_test::six_circuits();
  request.at = {-70.0f, 70.0f};
  request.top = 5;
  return request;
}

TEST(Phasing, MoreThreadsListTheSame) {
  study::PhasingRequest request = six_circuits_for_b();
  const study::PhasingResult one = study::search_phasings(request, nullptr);
  request.threads = 3;
  const study::PhasingResult three = study::search_phasings(request, nullptr);
  EXPECT_EQ(one.total, 46656u);
  EXPECT_EQ(one.distinct, 7776u);
  EXPECT_EQ(one.examined, 7776u);
  EXPECT_EQ(three.examined, 7776u);
  ASSERT_EQ(one.listed.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(one.listed[i].number, three.listed[i].number);
  // The best is no worse than the line as given.
  EXPECT_LE(one.listed[0].scores[0], one.original.scores[0]);
}

// Threads the system refuses (memory, a limit on threads) leave the search
// to those it gave, or to the calling thread alone; asked for more than
// the most, the search takes the most. The same arrangements are listed.
TEST(Phasing, ThreadsRefusedLeaveTheSearchToFewer) {
  study::PhasingRequest request = six_circuits_for_b();
  const study::PhasingResult one = study::search_phasings(request, nullptr);
  for (const unsigned given : {0u, 1u, 2u}) {
    unsigned asked = 0;
    request.threads = 4;
    request.start_thread = [given, &asked](std::function<void()> work) {
      if (++asked > given) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
      return std::thread(std::move(work));
    };
    const study::PhasingResult fewer = study::search_phasings(request, nullptr);
    EXPECT_EQ(asked, given + 1);
    EXPECT_EQ(fewer.examined, 7776u) << given;
    ASSERT_EQ(fewer.listed.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(one.listed[i].number, fewer.listed[i].number) << given;
  }
  unsigned started = 0;
  request.threads = 100000;
  request.start_thread = [&started](std::function<void()> work) {
    ++started;
    return std::thread(std::move(work));
  };
  study::search_phasings(request, nullptr);
  EXPECT_EQ(started, study::max_threads);
}

TEST(Phasing, FrontIsTheBruteForceFront) {
  const study::PhasingRequest request = double_circuit({Quantity::e, Quantity::b});
  const study::PhasingResult result = study::search_phasings(request, nullptr);

  // Every distinct arrangement through the engine, and the front by hand.
  std::vector<std::vector<float>> angles = {{0, 240, 120}, {0, 240, 120}};
  const study::Arrangements a(angles);
  std::vector<std::uint64_t> numbers;
  std::vector<std::vector<double>> scores;
  for (std::uint64_t i = 0; i < a.total(); ++i) {
    const auto choice = a.choice(i);
    if (!a.canonical(choice)) continue;
    const brenlow::Evaluation run(study::as_written(study::arranged(request.section, request.circuits, a, choice)));
    std::vector<double> s;
    for (Quantity q : request.quantities) {
      float worst = 0;
      for (float x : request.at) worst = std::max(worst, study::value(run.point(x), q, request.b));
      s.push_back(worst);
    }
    numbers.push_back(i);
    scores.push_back(s);
  }
  std::vector<std::uint64_t> expected;
  for (std::size_t i : study::trade_off_front(scores)) expected.push_back(numbers[i]);
  std::vector<std::uint64_t> listed;
  for (const study::Ranked& r : result.listed) listed.push_back(r.number);
  EXPECT_EQ(listed, expected);
  EXPECT_GE(listed.size(), 1u);
}

TEST(Phasing, ListedValuesAreThoseOfTheWrittenFile) {
  const study::PhasingRequest request = double_circuit({Quantity::an});
  const study::PhasingResult result = study::search_phasings(request, nullptr);
  ASSERT_FALSE(result.listed.empty());
  for (const study::Ranked& r : result.listed) {
    const brenlow::Evaluation run(brenlow::parse_data_file(r.file_text));
    for (std::size_t p = 0; p < request.at.size(); ++p)
      EXPECT_EQ(study::value(run.point(request.at[p]), Quantity::an, request.b), r.values[0][p]);
  }
}

TEST(Phasing, LineWithADcPoleIsRankedByTheEngine) {
  study::PhasingRequest request = double_circuit({Quantity::b});
  brenlow::Group pole = study_test::phase("POLE", 60, 20, 400, 0, 1.5f);
  pole.ac = false;
  request.section.groups.insert(request.section.groups.begin() + 6, pole);
  request.section.energized = 7;
  const study::PhasingResult r = study::search_phasings(request, nullptr);
  EXPECT_FALSE(r.fast_ranking);
  EXPECT_EQ(r.listed.size(), 6u);
}

TEST(Phasing, StopRequestedEndsTheSearchCleanly) {
  study::PhasingRequest request = double_circuit({Quantity::b});
  study::StopFlag stop;
  stop.request();
  request.stop = &stop;
  const study::PhasingResult r = study::search_phasings(request, nullptr);
  EXPECT_TRUE(r.stopped);
  EXPECT_LT(r.examined, r.distinct);
}

// The best over every assignment of each circuit's groups' angles, each
// arrangement through the engine on the section as written: no counting of
// relabellings, no superposition.
float brute_force_best(const study::PhasingRequest& request) {
  std::vector<std::vector<int>> order;
  for (const auto& circuit : request.circuits) {
    std::vector<int> o(circuit.size());
    for (std::size_t j = 0; j < o.size(); ++j) o[j] = static_cast<int>(j);
    order.push_back(o);
  }
  float best = std::numeric_limits<float>::infinity();
  while (true) {
    brenlow::CrossSection section = request.section;
    for (std::size_t c = 0; c < request.circuits.size(); ++c)
      for (std::size_t j = 0; j < order[c].size(); ++j)
        section.groups[static_cast<std::size_t>(request.circuits[c][j])].phase =
            request.section.groups[static_cast<std::size_t>(request.circuits[c][static_cast<std::size_t>(order[c][j])])]
                .phase;
    const brenlow::Evaluation run(study::as_written(section));
    best = std::min(best, study::worst(study::values_at(run, request.quantities, request.at, request.b)[0]));
    std::size_t c = 0;
    while (c < order.size() && !std::next_permutation(order[c].begin(), order[c].end())) ++c;
    if (c == order.size()) return best;
  }
}

struct FixedGroups {
  const char* name;
  brenlow::CrossSection section;
  std::vector<std::vector<int>> circuits;
  std::size_t relabellings;
  std::uint64_t distinct;
};

// Lines with energized groups outside the circuits: only the relabellings
// that leave those groups' phasors alone count.
brenlow::CrossSection with_single_phase(float angle) {
  brenlow::CrossSection s = study_test::double_circuit_line();
  s.groups.insert(s.groups.begin() + 6, study_test::phase("SP", 20, 15, 66, angle, 0.3f));
  s.energized = 7;
  return s;
}

brenlow::CrossSection with_dead_phases() {
  brenlow::CrossSection s = study_test::double_circuit_line();
  for (int g = 3; g < 6; ++g) s.groups[static_cast<std::size_t>(g)].kv = s.groups[static_cast<std::size_t>(g)].ka = 0;
  return s;
}

const FixedGroups fixed_group_lines[] = {
    // One circuit of a double circuit: every order of it is its own.
    {"OneOfTwoCircuits", study_test::double_circuit_line(), {{0, 1, 2}}, 1, 6},
    {"SecondOfTwoCircuits", study_test::double_circuit_line(), {{3, 4, 5}}, 1, 6},
    // Circuits of two groups, the third phase of each left where it is.
    {"TwoGroupCircuits", study_test::double_circuit_line(), {{0, 1}, {4, 5}}, 1, 4},
    // Four groups (one angle twice) and three, the rest of two towers fixed.
    {"FourGroupCircuit", study_test::tower_line(2), {{0, 1, 2, 3}, {6, 7, 8}}, 1, 72},
    // A phase at 0 degrees outside: mirroring every phasor leaves it alone.
    {"FixedAtZero", with_single_phase(0), {{0, 1, 2}, {3, 4, 5}}, 2, 18},
    {"FixedAt90", with_single_phase(90), {{0, 1, 2}, {3, 4, 5}}, 1, 36},
    // Groups without voltage or current constrain nothing.
    {"DeadPhasesOutside", with_dead_phases(), {{0, 1, 2}}, 6, 1},
};

class WithFixedGroups : public ::testing::TestWithParam<std::tuple<FixedGroups, Quantity, bool>> {};

TEST_P(WithFixedGroups, BestIsTheBruteForceBest) {
  const auto& [line, q, fast] = GetParam();
  study::PhasingRequest request;
  request.section = line.section;
  request.circuits = line.circuits;
  request.quantities = {q};
  request.at = {-20.0f, 0.0f, 15.0f};
  request.top = 1;
  request.threads = 1;
  request.fast_ranking = fast;
  const study::PhasingResult r = study::search_phasings(request, nullptr);
  EXPECT_EQ(r.relabellings, line.relabellings);
  EXPECT_EQ(r.distinct, line.distinct);
  EXPECT_EQ(r.examined, line.distinct);
  ASSERT_EQ(r.listed.size(), 1u);
  // Relabelled arrangements agree to the engine's rounding, not to the bit.
  const float best = brute_force_best(request);
  EXPECT_NEAR(r.listed[0].scores[0], best, 1e-5f * std::fabs(best));
}

INSTANTIATE_TEST_SUITE_P(Phasing, WithFixedGroups,
                         ::testing::Combine(::testing::ValuesIn(fixed_group_lines),
                                            ::testing::Values(Quantity::b, Quantity::e, Quantity::an),
                                            ::testing::Bool()),
                         [](const auto& info) {
                           std::string n = std::string(std::get<0>(info.param).name) + "_" +
                                           std::string(study::name(std::get<1>(info.param))) +
                                           (std::get<2>(info.param) ? "_Superposition" : "_Engine");
                           n.erase(std::remove(n.begin(), n.end(), '-'), n.end());
                           return n;
                         });

TEST(Phasing, EachSearchHasItsOwnStop) {
  // Two searches at once: stopping one leaves the other to finish.
  study::PhasingRequest request = double_circuit({Quantity::b});
  request.section = study_test::six_circuit_line();
  request.circuits = study_test::six_circuits();
  request.at = {-70.0f, 70.0f};
  study::StopFlag stop_one, stop_other;
  stop_one.request();
  study::PhasingRequest one = request, other = request;
  one.stop = &stop_one;
  other.stop = &stop_other;
  study::PhasingResult stopped, finished;
  std::thread t([&] { stopped = study::search_phasings(one, nullptr); });
  finished = study::search_phasings(other, nullptr);
  t.join();
  EXPECT_TRUE(stopped.stopped);
  EXPECT_LT(stopped.examined, stopped.distinct);
  EXPECT_FALSE(finished.stopped);
  EXPECT_EQ(finished.examined, finished.distinct);
  EXPECT_EQ(finished.listed.size(), 6u);
}

TEST(Phasing, SearchOverItsTimeLimitIsRefused) {
  // Eight circuits ranked by the engine: far more than a millisecond.
  study::PhasingRequest request = double_circuit({Quantity::b});
  request.section = study_test::tower_line(4);
  request.circuits.clear();
  for (int c = 0; c < 8; ++c) request.circuits.push_back({3 * c, 3 * c + 1, 3 * c + 2});
  request.fast_ranking = false;
  request.time_limit = 0.001;
  try {
    study::search_phasings(request, nullptr);
    FAIL() << "accepted";
  } catch (const study::StudyError& e) {
    EXPECT_NE(std::string(e.what()).find("more than the time limit of 0.001 s"), std::string::npos) << e.what();
  }
  request.time_limit = 0;
  request.top = study::max_top + 1;
  EXPECT_THROW(study::search_phasings(request, nullptr), study::StudyError);
}

struct BadCircuit {
  const char* name;
  std::vector<std::vector<int>> circuits;
  const char* message;
};

class BadCircuits : public ::testing::TestWithParam<BadCircuit> {};

TEST_P(BadCircuits, Refused) {
  study::PhasingRequest request = double_circuit({Quantity::b});
  brenlow::Group pole = study_test::phase("POLE", 60, 20, 400, 0, 1.5f);
  pole.ac = false;
  request.section.groups.insert(request.section.groups.begin() + 6, pole);
  request.section.energized = 7;
  request.circuits = GetParam().circuits;
  try {
    study::search_phasings(request, nullptr);
    FAIL() << "accepted";
  } catch (const study::StudyError& e) {
    EXPECT_NE(std::string(e.what()).find(GetParam().message), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Phasing, BadCircuits,
    ::testing::Values(BadCircuit{"EarthWire", {{0, 1, 7}}, "circuit 1: group 8 (EW) is an earth wire"},
                      BadCircuit{"DcPole", {{0, 1, 2}, {3, 4, 6}}, "circuit 2: group 7 (POLE) is a DC pole"},
                      BadCircuit{"Twice", {{0, 1, 1}}, "circuit 1: group 2 (T1L2) is listed twice"},
                      BadCircuit{"TwoCircuits", {{0, 1, 2}, {2, 3, 4}}, "circuit 2: group 3 (T1L3) is already in circuit 1"},
                      BadCircuit{"NotInFile", {{0, 1, 20}}, "group 21 is not in the data file, which has 8 groups"},
                      BadCircuit{"None", {}, "no circuit"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// Searches whose keeper leaves out arrangements on a floor of their scores:
// what is listed must be what scoring every arrangement through the engine
// lists. Symmetric points tie mirrored arrangements; a line without current
// has no magnetic field at all, every arrangement tying on B.
struct Exhaustive {
  const char* name;
  brenlow::CrossSection section;
  std::vector<std::vector<int>> circuits;
  std::vector<Quantity> quantities;
  std::vector<float> at;
  std::size_t top;
};

brenlow::CrossSection without_current() {
  brenlow::CrossSection s = study_test::double_circuit_line();
  for (brenlow::Group& g : s.groups) g.ka = 0;
  return s;
}

const std::vector<std::vector<int>> two_towers = {{0, 1, 2}, {3, 4, 5}, {6, 7, 8}, {9, 10, 11}};

const Exhaustive exhaustive_searches[] = {
    {"ThreeQuantitiesSymmetricPoints", study_test::double_circuit_line(), {{0, 1, 2}, {3, 4, 5}},
     {Quantity::e, Quantity::b, Quantity::an}, {-20.0f, 20.0f}, 1},
    {"NoCurrentEveryBTies", without_current(), {{0, 1, 2}, {3, 4, 5}}, {Quantity::b, Quantity::e, Quantity::an},
     {-30.0f, 5.0f, 25.0f}, 1},
    {"ThreeCircuitsOneFixed", study_test::tower_line(2), {{0, 1, 2}, {3, 4, 5}, {6, 7, 8}},
     {Quantity::b, Quantity::e_res, Quantity::e}, {-60.0f, 0.0f, 50.0f}, 1},
    {"FourCircuitsNoiseAndE", study_test::tower_line(2), two_towers, {Quantity::an, Quantity::e}, {-90.0f, 90.0f}, 1},
    {"FourCircuitsResultants", study_test::tower_line(2), two_towers,
     {Quantity::e_res, Quantity::an, Quantity::b_res}, {-40.0f, 40.0f}, 1},
    {"FourCircuitsBestE", study_test::tower_line(2), two_towers, {Quantity::e}, {-50.0f, 10.0f, 50.0f}, 7},
    {"FourCircuitsBestB", study_test::tower_line(2), two_towers, {Quantity::b}, {-90.0f, 90.0f}, 12},
    {"NoCurrentBestB", without_current(), {{0, 1, 2}, {3, 4, 5}}, {Quantity::b}, {-30.0f, 30.0f}, 4},
};

class ListedAsExhaustive : public ::testing::TestWithParam<Exhaustive> {};

TEST_P(ListedAsExhaustive, SameAsScoringEveryArrangement) {
  const Exhaustive& c = GetParam();
  study::PhasingRequest request;
  request.section = c.section;
  request.circuits = c.circuits;
  request.quantities = c.quantities;
  request.at = c.at;
  request.top = c.top;
  request.threads = 1;
  const study::PhasingResult result = study::search_phasings(request, nullptr);
  EXPECT_TRUE(result.fast_ranking);
  EXPECT_EQ(result.examined, result.distinct);

  // Every canonical arrangement through the engine, as written.
  std::vector<std::vector<float>> angles;
  std::vector<bool> in_circuit(c.section.groups.size(), false);
  for (const auto& circuit : c.circuits) {
    angles.emplace_back();
    for (int g : circuit) {
      angles.back().push_back(c.section.groups[static_cast<std::size_t>(g)].phase);
      in_circuit[static_cast<std::size_t>(g)] = true;
    }
  }
  std::vector<float> fixed;
  for (std::size_t g = 0; g < static_cast<std::size_t>(c.section.energized); ++g)
    if (!in_circuit[g]) fixed.push_back(c.section.groups[g].phase);
  const study::Arrangements a(angles, fixed);
  std::vector<std::uint64_t> numbers;
  std::vector<std::vector<double>> scores;
  for (std::uint64_t i = 0; i < a.total(); ++i) {
    const auto choice = a.choice(i);
    if (!a.canonical(choice)) continue;
    const brenlow::Evaluation run(study::as_written(study::arranged(c.section, c.circuits, a, choice)));
    std::vector<double> s;
    for (const std::vector<float>& v : study::values_at(run, c.quantities, c.at, request.b))
      s.push_back(*std::max_element(v.begin(), v.end()));
    numbers.push_back(i);
    scores.push_back(s);
  }
  std::vector<std::uint64_t> expected;
  if (c.quantities.size() > 1) {
    for (std::size_t i : study::trade_off_front(scores)) expected.push_back(numbers[i]);
  } else {
    std::vector<std::size_t> order(numbers.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) { return scores[x] < scores[y]; });
    for (std::size_t i = 0; i < std::min(c.top, order.size()); ++i) expected.push_back(numbers[order[i]]);
  }
  std::vector<std::uint64_t> listed;
  for (const study::Ranked& r : result.listed) listed.push_back(r.number);
  if (c.quantities.size() > 1) {
    // The two orders differ among members tied on the first quantity.
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
  }
  EXPECT_EQ(listed, expected);
}

INSTANTIATE_TEST_SUITE_P(Phasing, ListedAsExhaustive, ::testing::ValuesIn(exhaustive_searches),
                         [](const auto& info) { return std::string(info.param.name); });
