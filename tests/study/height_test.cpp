// The height search: a limit met already, a field that rises before it
// falls, one that dips under the limit, rises over it and falls again (the
// smallest raise is in the dip), a limit no raise meets; the values are
// those of the written file, and the raise is the smallest to the step.

#include <gtest/gtest.h>

#include <string>

#include "study/height.hpp"
#include "study/section_tools.hpp"
#include "study/test_lines.hpp"

namespace {

using study::Quantity;

float e_at(const brenlow::CrossSection& s, float x) { return brenlow::Evaluation(s).electric_field(x, 1).max; }

study::HeightRequest request(Quantity q, float limit, float x) {
  study::HeightRequest r;
  r.section = study_test::double_circuit_line();
  r.limits = {{q, limit}};
  r.at = {x};
  return r;
}

TEST(Height, LimitMetAlreadyIsARaiseOfZero) {
  const study::HeightResult r = study::search_height(request(Quantity::e, 5.0f, 20), nullptr);
  ASSERT_TRUE(r.found);
  EXPECT_EQ(r.steps, 0);
  EXPECT_EQ(r.raise, 0.0f);
  EXPECT_EQ(r.after, r.before);
}

struct Smallest {
  const char* name;
  float x, limit;
  float low, high;  // metres: where the answer must lie
};

class SmallestRaise : public ::testing::TestWithParam<Smallest> {};

TEST_P(SmallestRaise, OneStepLessFails) {
  const Smallest& c = GetParam();
  const study::HeightRequest req = request(Quantity::e, c.limit, c.x);
  const study::HeightResult r = study::search_height(req, nullptr);
  ASSERT_TRUE(r.found);
  EXPECT_GT(r.raise, c.low);
  EXPECT_LT(r.raise, c.high);
  // Met by the written file; not met one centimetre lower.
  EXPECT_LE(e_at(r.raised, c.x), c.limit);
  EXPECT_EQ(r.after[0][0], e_at(r.raised, c.x));
  const float below = static_cast<float>(r.steps - 1) * 0.01f;
  EXPECT_GT(e_at(study::as_written(study::raised(req.section, {}, below)), c.x), c.limit);
}

INSTANTIATE_TEST_SUITE_P(
    Height, SmallestRaise,
    ::testing::Values(
        // At 20 m the field first rises (0.92 to 0.99 kV/m at 5 m), then
        // falls (0.94 at 10 m, 0.85 at 15 m).
        Smallest{"RisesThenFalls", 20, 0.90f, 10, 15},
        // At 40 m it dips to 0.05 kV/m near 10 m, rises to 0.23 near 35 m and
        // falls: under 0.2 from about a metre up, again only beyond 45 m.
        Smallest{"DipsRisesFalls", 40, 0.20f, 0, 5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Height, FieldRisesFirstAtTwentyMetres) {
  const brenlow::CrossSection s = study_test::double_circuit_line();
  EXPECT_GT(e_at(study::raised(s, {}, 5), 20), e_at(s, 20));
  EXPECT_LT(e_at(study::raised(s, {}, 15), 20), 0.90f);
}

TEST(Height, UnreachableLimit) {
  const study::HeightResult r = study::search_height(request(Quantity::b, 0.0f, 0), nullptr);
  EXPECT_FALSE(r.found);
  EXPECT_FALSE(r.stopped);
  EXPECT_TRUE(r.after.empty());
}

TEST(Height, EveryLimitAtEveryPoint) {
  study::HeightRequest req = request(Quantity::b, 5.0f, -20);
  req.at = {-20, 0, 20};
  req.limits.push_back({Quantity::e, 0.5f});
  const study::HeightResult r = study::search_height(req, nullptr);
  ASSERT_TRUE(r.found);
  const float limits[2] = {5.0f, 0.5f};
  for (std::size_t l = 0; l < 2; ++l)
    for (float v : r.after[l]) EXPECT_LE(v, limits[l]);
  // Only the listed groups move.
  req.groups = {0, 1, 2, 3, 4, 5};
  const study::HeightResult phases = study::search_height(req, nullptr);
  ASSERT_TRUE(phases.found);
  EXPECT_FLOAT_EQ(phases.raised.groups[6].y, req.section.groups[6].y);
  EXPECT_NEAR(phases.raised.groups[0].y, req.section.groups[0].y + phases.raise, 1e-4f);
}

TEST(Height, EnglishFileRaisesInStepsOfFiveHundredthsOfAFoot) {
  study::HeightRequest req = request(Quantity::b, 5.0f, 0);
  req.section.english = true;
  const study::HeightResult r = study::search_height(req, nullptr);
  ASSERT_TRUE(r.found);
  EXPECT_FLOAT_EQ(r.raise, static_cast<float>(r.steps) * 0.05f);
  EXPECT_NEAR(r.raised.groups[0].y, req.section.groups[0].y + r.raise * 0.3048f, 2e-3f);
}

// A limit on a level the line does not give is refused: any raise would
// "meet" it. A level the line gives is searched as any other.
TEST(Height, LimitOnALevelNotComputedIsRefused) {
  study::HeightRequest req = request(Quantity::tv, 1.0f, 0);
  req.section = brenlow::read_data_file(std::string(BRENLOW_EXAMPLES) + "/500kv_dc_bipole.dat");
  req.at = {-30.0f, 30.0f};
  try {
    study::search_height(req, nullptr);
    ADD_FAILURE() << "a TV limit on a DC line was searched";
  } catch (const study::StudyError& e) {
    EXPECT_EQ(std::string(e.what()), "TV is not computed for a DC line: no raise can meet a limit on it");
  }
  req.limits = {{Quantity::e, 100.0f}, {Quantity::ri, 100.0f}};
  EXPECT_TRUE(study::search_height(req, nullptr).found);
}

}  // namespace
