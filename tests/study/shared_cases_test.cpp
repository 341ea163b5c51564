// The two cross sections an independent field program was run on: the same
// edge values to its printed digits, the same best phasings up to one
// relabelling of all circuits, and the same raises (within 0.05 ft for B,
// 0.5 % for E, where the field changes slowly with height).

#include <gtest/gtest.h>

#include <cmath>

#include "study/height.hpp"
#include "study/phasing.hpp"

namespace {

using study::BUnit;
using study::Quantity;

std::string data(const std::string& name) { return std::string(BRENLOW_TEST_DATA) + "/study/" + name; }

struct Edge {
  const char* file;
  float x;  // ft
  const char* b;  // mG, as printed
  const char* e;  // kV/m
};

class EdgeValues : public ::testing::TestWithParam<Edge> {};

TEST_P(EdgeValues, ToThePrintedDigits) {
  const Edge& c = GetParam();
  const brenlow::Evaluation run(brenlow::read_data_file(data(c.file)));
  const brenlow::Point p = run.point(c.x * 0.3048f);
  EXPECT_EQ(study::fixed(study::value(p, Quantity::b, BUnit::milligauss), 2), c.b);
  EXPECT_EQ(study::fixed(study::value(p, Quantity::e, BUnit::milligauss), 3), c.e);
}

INSTANTIATE_TEST_SUITE_P(Shared, EdgeValues,
                         ::testing::Values(Edge{"peer_case_a.dat", -75, "65.93", "0.529"},
                                           Edge{"peer_case_a.dat", 75, "61.52", "0.533"},
                                           Edge{"peer_case_b.dat", -100, "74.54", "0.985"},
                                           Edge{"peer_case_b.dat", 100, "29.22", "0.724"}));

struct Best {
  const char* file;
  int circuits;
  Quantity q;
  float x;
  const char* best;
  const char* worst;
  std::vector<float> angles;  // one of the equivalent best, groups 1..3k
};

class BestPhasing : public ::testing::TestWithParam<Best> {};

TEST_P(BestPhasing, SameUpToRelabelling) {
  const Best& c = GetParam();
  study::PhasingRequest request;
  request.section = brenlow::read_data_file(data(c.file));
  for (int i = 0; i < c.circuits; ++i) request.circuits.push_back({3 * i, 3 * i + 1, 3 * i + 2});
  request.quantities = {c.q};
  request.at = {c.x * 0.3048f};
  request.b = BUnit::milligauss;
  request.top = 100000;
  request.threads = 1;
  const study::PhasingResult r = study::search_phasings(request, nullptr);
  ASSERT_FALSE(r.listed.empty());
  const int d = c.q == Quantity::b ? 2 : 3;
  EXPECT_EQ(study::fixed(r.listed.front().scores[0], d), c.best);
  EXPECT_EQ(study::fixed(r.listed.back().scores[0], d), c.worst);

  // The independent program's best, as a choice of assignments.
  std::vector<std::vector<float>> given;
  for (const auto& circuit : request.circuits) {
    std::vector<float> a;
    for (int g : circuit) a.push_back(request.section.groups[static_cast<std::size_t>(g)].phase);
    given.push_back(a);
  }
  const study::Arrangements arrangements(given);
  study::Arrangements::Choice theirs;
  for (int ci = 0; ci < c.circuits; ++ci) {
    const std::vector<float> want(c.angles.begin() + 3 * ci, c.angles.begin() + 3 * ci + 3);
    const auto& list = arrangements.choices(static_cast<std::size_t>(ci));
    const auto it = std::find(list.begin(), list.end(), want);
    ASSERT_NE(it, list.end());
    theirs.push_back(static_cast<std::uint16_t>(it - list.begin()));
  }
  EXPECT_EQ(arrangements.canonical_form(theirs), r.listed.front().choice);
}

INSTANTIATE_TEST_SUITE_P(
    Shared, BestPhasing,
    ::testing::Values(
        Best{"peer_case_a.dat", 2, Quantity::b, -75, "33.54", "65.93", {120, 0, 240, 240, 0, 120}},
        Best{"peer_case_a.dat", 2, Quantity::b, 75, "23.67", "61.52", {240, 0, 120, 120, 0, 240}},
        Best{"peer_case_a.dat", 2, Quantity::e, -75, "0.522", "0.594", {0, 240, 120, 0, 120, 240}},
        Best{"peer_case_a.dat", 2, Quantity::e, 75, "0.526", "0.599", {120, 0, 240, 120, 240, 0}},
        Best{"peer_case_b.dat", 3, Quantity::b, -100, "38.45", "82.38", {120, 0, 240, 240, 0, 120, 120, 240, 0}},
        Best{"peer_case_b.dat", 3, Quantity::b, 100, "23.81", "45.73", {0, 120, 240, 240, 0, 120, 0, 240, 120}},
        Best{"peer_case_b.dat", 3, Quantity::e, -100, "0.910", "1.017", {120, 0, 240, 0, 240, 120, 0, 240, 120}},
        Best{"peer_case_b.dat", 3, Quantity::e, 100, "0.610", "0.843", {0, 120, 240, 0, 120, 240, 0, 240, 120}}));

struct Raise {
  const char* file;
  Quantity q;
  float limit;
  float x;      // ft
  float raise;  // ft, the independent program's
};

class Raises : public ::testing::TestWithParam<Raise> {};

TEST_P(Raises, WithinTheTolerance) {
  const Raise& c = GetParam();
  study::HeightRequest request;
  request.section = brenlow::read_data_file(data(c.file));
  request.limits = {{c.q, c.limit}};
  request.at = {c.x * 0.3048f};
  request.b = BUnit::milligauss;
  const study::HeightResult r = study::search_height(request, nullptr);
  ASSERT_TRUE(r.found);
  if (c.q == Quantity::b) {
    EXPECT_LE(std::fabs(r.raise - c.raise), 0.05f + 1e-4f) << r.raise;
  } else {
    EXPECT_LE(std::fabs(r.raise - c.raise), 0.005f * c.raise) << r.raise;
  }
}

INSTANTIATE_TEST_SUITE_P(Shared, Raises,
                         ::testing::Values(Raise{"peer_case_a.dat", Quantity::b, 32.97f, -75, 47.31f},
                                           Raise{"peer_case_a.dat", Quantity::b, 30.76f, 75, 49.69f},
                                           Raise{"peer_case_a.dat", Quantity::e, 0.265f, -75, 227.30f},
                                           Raise{"peer_case_a.dat", Quantity::e, 0.267f, 75, 226.05f},
                                           Raise{"peer_case_b.dat", Quantity::b, 37.27f, -100, 39.25f},
                                           Raise{"peer_case_b.dat", Quantity::b, 14.61f, 100, 44.55f},
                                           Raise{"peer_case_b.dat", Quantity::e, 0.493f, -100, 125.21f},
                                           Raise{"peer_case_b.dat", Quantity::e, 0.362f, 100, 36.59f}));

}  // namespace
