// The fields of DC and hybrid lines against an independent model of each
// part alone: a static field and an alternating one never add as phasors,
// a DC pole's angle has no effect, and turning every AC phase alike leaves
// the line as it was.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/engine.hpp"
#include "support/line_model.hpp"

namespace {

using brenlow::Part;

brenlow::Group group(const char* name, bool ac, float x, float y, int n, float d, float s, float kv, float phase,
                     float ka) {
  brenlow::Group g;
  g.name = name;
  g.ac = ac;
  g.x = x;
  g.y = y;
  g.subconductors = n;
  g.diameter = d;
  g.spacing = s;
  g.kv = kv;
  g.phase = phase;
  g.ka = ka;
  return g;
}

// A 345 kV flat AC circuit 14 m high beside a +-400 kV bipole 17 m high,
// earth wires of either letter.
brenlow::CrossSection hybrid_line() {
  brenlow::CrossSection line;
  line.groups = {group("AC A", true, -45, 14, 2, 30, 45, 199.2f, 0, 1.2f),
                 group("AC B", true, -37, 14, 2, 30, 45, 199.2f, 120, 1.2f),
                 group("AC C", true, -29, 14, 2, 30, 45, 199.2f, 240, 1.2f),
                 group("DC +", false, -6, 17, 3, 40.6f, 45, 400, 0, 1.5f),
                 group("DC -", false, 6, 17, 3, 40.6f, 45, -400, 0, 1.5f),
                 group("EARTH 1", false, -37, 24, 1, 11, 0, 0, 0, 0),
                 group("EARTH 2", true, 0, 27, 1, 11, 0, 0, 0, 0)};
  line.energized = 5;
  return line;
}

// The +-500 kV bipole of the examples: 4 x 30.5 mm at 45 cm, 15 m high, 2 kA.
brenlow::CrossSection bipole() {
  brenlow::CrossSection line;
  line.groups = {group("POLE +", false, -7, 15, 4, 30.5f, 45, 500, 0, 2),
                 group("POLE -", false, 7, 15, 4, 30.5f, 45, -500, 0, 2),
                 group("EARTH 1", false, -6, 25, 1, 11, 0, 0, 0, 0),
                 group("EARTH 2", false, 6, 25, 1, 11, 0, 0, 0, 0)};
  line.energized = 2;
  line.conditions.rain = 2;
  return line;
}

void expect_close(double engine, double model, const std::string& what) {
  EXPECT_NEAR(engine, model, 2e-4 * std::fabs(model) + 1e-6) << what;
}

struct Case {
  const char* name;
  brenlow::CrossSection line;
};

class PartsAgainstModel : public ::testing::TestWithParam<Case> {};

TEST_P(PartsAgainstModel, EachPartIsTheModelsOfThatKindAlone) {
  const brenlow::CrossSection& line = GetParam().line;
  const brenlow::Evaluation run(line);
  const auto model = support::model_of(line);
  for (const float h : {1.0f, 2.0f}) {
    for (float x = -60; x <= 60; x += 5) {
      for (const Part part : {Part::ac, Part::dc}) {
        const support::ModelField m = support::model_field(model, part == Part::ac, x, h);
        const std::string at = std::string(part == Part::ac ? "AC" : "DC") + " at x " + std::to_string(x) +
                               " h " + std::to_string(h);
        expect_close(run.electric_field(x, h, part).max, m.e, "E " + at);
        expect_close(run.magnetic_field(x, h, part).max, m.b, "B " + at);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Lines, PartsAgainstModel,
                         ::testing::Values(Case{"Hybrid", hybrid_line()}, Case{"Bipole", bipole()}),
                         [](const auto& info) { return std::string(info.param.name); });

// Every quantity of two evaluations, at points across the line.
void expect_same_line(const brenlow::Evaluation& a, const brenlow::Evaluation& b, float tolerance,
                      const std::string& what, float gradient_tolerance) {
  const auto near = [&](float u, float v, const std::string& name) {
    if (std::isnan(u) && std::isnan(v)) return;  // ozone without wind
    EXPECT_NEAR(u, v, tolerance * std::fabs(v) + 1e-6f) << what << ": " << name;
  };
  for (std::size_t i = 0; i < a.groups().size(); ++i)
    EXPECT_NEAR(a.groups()[i].gradient, b.groups()[i].gradient, gradient_tolerance * std::fabs(b.groups()[i].gradient))
        << what << ": gradient of group " << i + 1;
  for (float x = -60; x <= 60; x += 10) {
    const brenlow::Point p = a.point(x), q = b.point(x);
    const std::string at = " at x " + std::to_string(x);
    near(p.an_rain, q.an_rain, "AN" + at);
    near(p.ri_rain, q.ri_rain, "RI" + at);
    near(p.ozone, q.ozone, "OZ" + at);
    near(p.e_ac, q.e_ac, "E-AC" + at);
    near(p.e_dc, q.e_dc, "E-DC" + at);
    near(p.b_ac, q.b_ac, "B-AC" + at);
    near(p.b_dc, q.b_dc, "B-DC" + at);
    for (const Part part : {Part::ac, Part::dc})
      near(a.electric_field(x, 1, part).resultant(), b.electric_field(x, 1, part).resultant(), "E-RES" + at);
  }
}

TEST(DcAndHybridLines, ADcPolesAngleHasNoEffect) {
  for (const Case& c : {Case{"hybrid", hybrid_line()}, Case{"bipole", bipole()}}) {
    const brenlow::Evaluation given(c.line);
    for (const float angle : {120.0f, 180.0f, -37.5f}) {
      brenlow::CrossSection turned = c.line;
      for (brenlow::Group& g : turned.groups)
        if (!g.ac) g.phase = angle;
      expect_same_line(brenlow::Evaluation(turned), given, 0, std::string(c.name) + " DC at " + std::to_string(angle),
                       0);
    }
  }
}

TEST(DcAndHybridLines, TurningEveryAcPhaseAlikeChangesNothing) {
  const brenlow::CrossSection line = hybrid_line();
  const brenlow::Evaluation given(line);
  for (const float turn : {120.0f, 240.0f, 33.0f}) {
    brenlow::CrossSection turned = line;
    for (brenlow::Group& g : turned.groups)
      if (g.ac) g.phase += turn;
    // The hybrid gradients come from a cycle in steps of 0.1 degrees, the
    // angles summed in single precision; an earth wire's induced charge is
    // a difference of large ones.
    expect_same_line(brenlow::Evaluation(turned), given, 1e-4f, "AC turned by " + std::to_string(turn), 1e-3f);
  }
}

TEST(DcAndHybridLines, ABipoleWithAPoleAt120DegreesIsTheModelsBipole) {
  brenlow::CrossSection line = bipole();
  line.groups[0].phase = 120;
  const brenlow::Evaluation run(line);
  const auto model = support::model_of(bipole());
  const double gradient = support::model_gradient(model, false, 0);
  EXPECT_NEAR(run.groups()[0].gradient, gradient, 2e-4 * gradient);
  EXPECT_NEAR(run.groups()[1].gradient, -gradient, 2e-4 * gradient);
  for (const float x : {0.0f, -7.0f, 25.0f, 60.0f}) {
    const support::ModelField m = support::model_field(model, false, x, 1);
    expect_close(run.electric_field(x, 1).max, m.e, "E at " + std::to_string(x));
    expect_close(run.magnetic_field(x, 1).max, m.b, "B at " + std::to_string(x));
  }
}

TEST(DcAndHybridLines, AHybridLineHasNoOneField) {
  const brenlow::Evaluation run(hybrid_line());
  EXPECT_TRUE(run.hybrid());
  EXPECT_THROW(run.electric_field(0, 1), brenlow::Error);
  EXPECT_THROW(run.magnetic_field(0, 1), brenlow::Error);
  const brenlow::Point p = run.point(0);
  EXPECT_TRUE(std::isnan(p.e) && std::isnan(p.b));
  EXPECT_FALSE(brenlow::Evaluation(bipole()).hybrid());
  // A line of one kind: the part of its kind is its field, the other none.
  for (const Case& c : {Case{"bipole", bipole()}, Case{"AC", [] {
                                                      brenlow::CrossSection ac = hybrid_line();
                                                      ac.groups.erase(ac.groups.begin() + 3, ac.groups.begin() + 5);
                                                      ac.energized = 3;
                                                      return ac;
                                                    }()}}) {
    const brenlow::Evaluation one(c.line);
    const Part own = c.line.groups[0].ac ? Part::ac : Part::dc, other = own == Part::ac ? Part::dc : Part::ac;
    for (float x = -50; x <= 50; x += 25) {
      const brenlow::Point q = one.point(x);
      EXPECT_EQ(one.electric_field(x, 1, own).max, one.electric_field(x, 1).max) << c.name;
      EXPECT_EQ(one.magnetic_field(x, 1, own).max, one.magnetic_field(x, 1).max) << c.name;
      EXPECT_EQ(one.electric_field(x, 1, other).max, 0) << c.name;
      EXPECT_EQ(one.magnetic_field(x, 1, other).max, 0) << c.name;
      EXPECT_EQ(own == Part::ac ? q.e_ac : q.e_dc, q.e) << c.name;
      EXPECT_EQ(own == Part::ac ? q.b_ac : q.b_dc, q.b) << c.name;
    }
  }
}

TEST(DcAndHybridLines, SpansGiveEachPartApartToo) {
  brenlow::Spans spans;
  spans.length = 300;
  spans.sag = 0;
  spans.count = 1;
  const brenlow::SpanEvaluation run(hybrid_line(), spans);
  EXPECT_THROW(run.electric_field(0, 150, 1), brenlow::Error);
  // Mid-span of a level line without sag: near the cross section's parts.
  for (const Part part : {Part::ac, Part::dc}) {
    const float flat = run.cross_section().electric_field(-20, 1, part).max;
    EXPECT_NEAR(run.electric_field(-20, 150, 1, part).max, flat, 0.05 * flat);
    const float b = run.cross_section().magnetic_field(-20, 1, part).max;
    EXPECT_NEAR(run.magnetic_field(-20, 150, 1, part).max, b, 0.05 * b);
  }
}

}  // namespace
