// The phasing search: the ranking by superposition lists what the engine
// lists when it scores every arrangement itself; the front is the one a
// brute force over the engine's values gives; what is listed is what the
// written data file gives; bad circuits are refused.

#include <gtest/gtest.h>

#include <algorithm>

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
                                           Quantity::ri_rain, Quantity::tv),
                         [](const auto& info) {
                           std::string n(study::name(info.param));
                           n.erase(std::remove(n.begin(), n.end(), '-'), n.end());
                           return n;
                         });

TEST(Phasing, MoreThreadsListTheSame) {
  study::PhasingRequest request = double_circuit({Quantity::b});
  request.section = study_test::six_circuit_line();
  request.circuits = study_test::six_circuits();
  request.at = {-70.0f, 70.0f};
  request.top = 5;
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
