// Counting the arrangements: every assignment of each circuit's angles, and
// those that one relabelling applied to all circuits turns into each other
// counted once; the trade-off front on cases worked by hand.

#include <gtest/gtest.h>

#include <set>

#include "study/arrangements.hpp"

namespace {

using study::Arrangements;

struct CountCase {
  const char* name;
  std::vector<std::vector<float>> angles;
  std::uint64_t total;
  std::size_t relabellings;
  std::uint64_t distinct;
  std::vector<float> fixed = {};  // angles of energized groups outside the circuits
};

class Counting : public ::testing::TestWithParam<CountCase> {};

TEST_P(Counting, TotalRelabellingsAndDistinct) {
  const CountCase& c = GetParam();
  const Arrangements a(c.angles, c.fixed);
  EXPECT_EQ(a.total(), c.total);
  EXPECT_EQ(a.relabellings(), c.relabellings);
  EXPECT_EQ(a.distinct(), c.distinct);
  // The canonical ones are exactly one per class, and every class has one.
  std::uint64_t canonical = 0;
  std::set<std::uint64_t> classes;
  for (std::uint64_t i = 0; i < a.total(); ++i) {
    const Arrangements::Choice choice = a.choice(i);
    ASSERT_EQ(a.number(choice), i);
    if (a.canonical(choice)) {
      ++canonical;
      EXPECT_EQ(a.canonical_form(choice), choice);
    }
    classes.insert(a.number(a.canonical_form(choice)));
  }
  EXPECT_EQ(canonical, c.distinct);
  EXPECT_EQ(classes.size(), c.distinct);
}

// The walk yields the canonical combinations, in order, and nothing else;
// split into jobs by the first circuits' assignments, the jobs together
// yield the same.
TEST_P(Counting, WalkYieldsTheCanonicalOnes) {
  const CountCase& c = GetParam();
  const Arrangements a(c.angles, c.fixed);
  std::vector<std::uint64_t> expected;
  for (std::uint64_t i = 0; i < a.total(); ++i)
    if (a.canonical(a.choice(i))) expected.push_back(i);
  for (std::size_t depth = 0; depth <= a.circuits(); ++depth) {
    std::uint64_t jobs = 1;
    for (std::size_t d = 0; d < depth; ++d) jobs *= a.choices(d).size();
    std::vector<std::uint64_t> walked;
    for (std::uint64_t job = 0; job < jobs; ++job) {
      // The job's assignments in the first `depth` circuits; the rest at random.
      Arrangements::Choice start = a.choice(job * (a.total() / jobs));
      for (std::size_t d = depth; d < start.size(); ++d) start[d] = static_cast<std::uint16_t>(job % 3);
      Arrangements::Choice previous;
      for (Arrangements::Walk w(a, start, depth); !w.done(); w.next()) {
        // What changed since the combination before is at or after changed().
        if (!previous.empty()) {
          for (std::size_t d = 0; d < w.changed(); ++d) ASSERT_EQ(w.choice()[d], previous[d]);
          ASSERT_NE(w.choice()[w.changed()], previous[w.changed()]);
        }
        previous = w.choice();
        walked.push_back(a.number(w.choice()));
      }
    }
    EXPECT_EQ(walked, expected) << "jobs of " << depth << " circuits";
  }
}

const std::vector<float> abc = {0, 240, 120};

INSTANTIATE_TEST_SUITE_P(
    Arrangements, Counting,
    ::testing::Values(
        CountCase{"OneCircuit", {abc}, 6, 6, 1},
        CountCase{"TwoCircuits", {abc, abc}, 36, 6, 6},
        CountCase{"ThreeCircuits", {abc, abc, abc}, 216, 6, 36},
        CountCase{"SixCircuits", {abc, abc, abc, abc, abc, abc}, 46656, 6, 7776},
        // The same angles written another way round the circle.
        CountCase{"NegativeAngles", {{0, -120, 120}, {120, 0, 240}}, 36, 6, 6},
        // A circuit shifted by 30 degrees: turning by 120 still maps each
        // circuit onto itself, mirroring no longer does.
        CountCase{"ShiftedCircuit", {abc, {30, 150, 270}}, 36, 3, 12},
        // Angles that no turn or mirror maps onto themselves except the identity.
        CountCase{"Irregular", {{0, 100, 200}, {0, 100, 200}}, 36, 2, 18},
        // Two equal angles: only the distinct orders are tried; the mirror
        // keeps 0 and 180 where they are, so it relabels nothing.
        CountCase{"RepeatedAngle", {{0, 0, 180}}, 3, 1, 3},
        CountCase{"SixPhaseCircuit", {{0, 60, 120, 180, 240, 300}}, 720, 12, 60},
        // Phases outside the circuits keep their angles: a relabelling must
        // leave each where it is. A whole circuit outside: only the identity.
        CountCase{"FixedCircuit", {abc}, 6, 1, 6, abc},
        // One phase at 0 outside: the mirror about 0 leaves it alone, no turn does.
        CountCase{"FixedAtZero", {abc, abc}, 36, 2, 18, {0}},
        CountCase{"FixedAtZeroAnd180", {abc}, 6, 2, 3, {0, 180}},
        // At 90 degrees: the mirror about 90 does not carry 0, 120, 240 onto themselves.
        CountCase{"FixedAt90", {abc}, 6, 1, 6, {90}},
        // Two phases outside at 240 and 120: no mirror leaves both, no turn either.
        CountCase{"FixedAt240And120", {abc, abc, abc}, 216, 1, 216, {240, 120}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Arrangements, ChoiceZeroIsTheGivenOrder) {
  const Arrangements a({{0, 240, 120}, {120, 0, 240}});
  EXPECT_EQ(a.choices(0)[0], (std::vector<float>{0, 240, 120}));
  EXPECT_EQ(a.choices(1)[0], (std::vector<float>{120, 0, 240}));
  EXPECT_TRUE(a.canonical(Arrangements::Choice{0, 0}));
}

TEST(Arrangements, RelabelledArrangementsShareOneForm) {
  // Circuit 1 as A B C and circuit 2 as C A B, and the same turned by 120
  // degrees (every A becomes B, ...), and mirrored.
  const Arrangements a({abc, abc});
  auto find = [&](std::size_t c, std::vector<float> angles) {
    const auto& list = a.choices(c);
    for (std::size_t k = 0; k < list.size(); ++k)
      if (list[k] == angles) return static_cast<std::uint16_t>(k);
    ADD_FAILURE() << "no such assignment";
    return std::uint16_t{0};
  };
  const Arrangements::Choice given = {find(0, {0, 240, 120}), find(1, {120, 0, 240})};
  const Arrangements::Choice turned = {find(0, {120, 0, 240}), find(1, {240, 120, 0})};
  const Arrangements::Choice mirrored = {find(0, {0, 120, 240}), find(1, {240, 0, 120})};
  const Arrangements::Choice other = {find(0, {0, 240, 120}), find(1, {0, 240, 120})};
  EXPECT_EQ(a.canonical_form(given), a.canonical_form(turned));
  EXPECT_EQ(a.canonical_form(given), a.canonical_form(mirrored));
  EXPECT_NE(a.canonical_form(given), a.canonical_form(other));
}

struct FrontCase {
  const char* name;
  std::vector<std::vector<double>> scores;
  std::vector<std::size_t> front;
};

class Front : public ::testing::TestWithParam<FrontCase> {};

TEST_P(Front, WorkedByHand) { EXPECT_EQ(study::trade_off_front(GetParam().scores), GetParam().front); }

INSTANTIATE_TEST_SUITE_P(
    TradeOff, Front,
    ::testing::Values(
        // E and B of five arrangements: 1 is beaten by 0 on both, 3 by 2 on
        // both; 0, 2 and 4 each win somewhere. Listed by E.
        FrontCase{"TwoQuantities", {{0.50, 30}, {0.55, 31}, {0.60, 20}, {0.61, 25}, {0.45, 40}}, {4, 0, 2}},
        // Equal on every quantity: both stay; equal on one and worse on the other: beaten.
        FrontCase{"Ties", {{1, 2}, {1, 2}, {1, 3}, {2, 1}}, {0, 1, 3}},
        // Better on one quantity is enough to stay.
        FrontCase{"BetterOnOne", {{3, 3, 3}, {1, 1, 1}, {2, 0.5, 4}, {1, 1, 2}}, {1, 2}},
        FrontCase{"ThreeQuantities", {{1, 5, 5}, {5, 1, 5}, {5, 5, 1}, {2, 2, 2}, {3, 3, 3}}, {0, 3, 1, 2}},
        FrontCase{"Single", {{7, 7}}, {0}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
