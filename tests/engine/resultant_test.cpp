// The resultant field against an independent field program's pinned values,
// and its bounds against the ellipse maximum.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/engine.hpp"

namespace {

// A 525 kV flat line as the independent program's example gives it: phases
// 10 m apart and 10.6 m high, 3 x 33 mm at 45 cm, 303.1 kV, 1 kA.
brenlow::CrossSection peer_flat_line() {
  brenlow::CrossSection line;
  const float xs[] = {-10, 0, 10}, angles[] = {120, 0, -120};
  for (int i = 0; i < 3; ++i) {
    brenlow::Group g;
    g.name = std::string(1, static_cast<char>('A' + i));
    g.x = xs[i];
    g.y = 10.6f;
    g.subconductors = 3;
    g.diameter = 33;
    g.spacing = 45;
    g.kv = 303.1f;
    g.phase = angles[i];
    g.ka = 1;
    line.groups.push_back(g);
  }
  line.energized = 3;
  return line;
}

TEST(Resultant, MatchesTheIndependentProgramsPinnedValues) {
  const brenlow::Evaluation run(peer_flat_line());
  EXPECT_NEAR(run.electric_field(20, 2).resultant(), 4.877, 4.877 * 5e-4);      // kV/m
  EXPECT_NEAR(100 * run.magnetic_field(0, 1).resultant(), 21.05, 21.05 * 1e-3);  // uT
}

TEST(Resultant, LiesBetweenTheEllipseMaximumAndRootTwoTimesIt) {
  for (const char* name : {"example.dat", "345kv_double_circuit.dat", "hybrid_corridor.dat"}) {
    const brenlow::Evaluation run(brenlow::read_data_file(std::string(BRENLOW_EXAMPLES) + "/" + name));
    for (float x = -60; x <= 60; x += 7.5f) {
      // A hybrid line's fields are only apart; each part on every line.
      for (const brenlow::FieldEllipse& f :
           {static_cast<brenlow::FieldEllipse>(run.electric_field(x, 1, brenlow::Part::ac)),
            static_cast<brenlow::FieldEllipse>(run.electric_field(x, 1, brenlow::Part::dc)),
            run.magnetic_field(x, 1, brenlow::Part::ac), run.magnetic_field(x, 1, brenlow::Part::dc)}) {
        EXPECT_GE(f.resultant(), f.max * (1 - 1e-5f)) << name << " x " << x;
        EXPECT_LE(f.resultant(), f.max * std::sqrt(2.0f) * (1 + 1e-5f)) << name << " x " << x;
      }
    }
  }
}

}  // namespace
