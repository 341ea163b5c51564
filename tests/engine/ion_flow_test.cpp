// The engine's ion flow: its nominal field is the section's, its conditions
// are checked with messages that say what, its notes say what it leaves
// out, and one evaluation serves several threads.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <thread>

#include "engine/engine.hpp"

namespace {

brenlow::CrossSection example(const char* name) {
  return brenlow::read_data_file(std::string(BRENLOW_EXAMPLES) + "/" + name);
}

TEST(IonFlowEvaluation, NominalFieldAtTheGroundIsTheSections) {
  const brenlow::CrossSection line = example("500kv_dc_bipole.dat");
  const brenlow::Evaluation run(line);
  const brenlow::IonFlowEvaluation flow(line);
  for (double x = -60; x <= 60; x += 7.5) {
    const double engine = run.electric_field(static_cast<float>(x), 0.0f).max;
    EXPECT_NEAR(flow.at(x).e_nominal, engine, 2e-4 * engine + 1e-4) << x;
  }
}

TEST(IonFlowEvaluation, BipoleSummaryAndNotes) {
  const brenlow::IonFlowEvaluation flow(example("500kv_dc_bipole.dat"));
  ASSERT_EQ(flow.poles().size(), 2u);
  EXPECT_NEAR(flow.air_density(), 0.9650, 1e-4);  // 300 m
  for (const brenlow::IonFlowPole& p : flow.poles()) {
    EXPECT_TRUE(p.corona);
    EXPECT_GT(p.lines_between_poles, 0);
    EXPECT_NEAR(p.loss, std::abs(p.kv) * p.current * 1e-3, 1e-9 * p.loss);  // kV mA/km = W/km
  }
  ASSERT_EQ(flow.notes().size(), 1u);
  EXPECT_NE(flow.notes()[0].find("pole to pole"), std::string::npos);
  // Under the positive pole positive ions flow into the ground, under the negative pole negative ones.
  EXPECT_GT(flow.at(-7).j, 0);
  EXPECT_LT(flow.at(7).j, 0);
  EXPECT_GT(flow.at(-7).e_total, 1.5 * flow.at(-7).e_nominal);
}

TEST(IonFlowEvaluation, HybridLineSaysItsACConductorsAreAtZero) {
  const brenlow::IonFlowEvaluation flow(example("hybrid_corridor.dat"));
  EXPECT_EQ(flow.poles().size(), 2u);
  bool said = false;
  for (const std::string& n : flow.notes()) said = said || n.find("AC conductors count at 0 V DC") != std::string::npos;
  EXPECT_TRUE(said);
}

TEST(IonFlowEvaluation, RefusesWhatItCannotUse) {
  const brenlow::CrossSection bipole = example("500kv_dc_bipole.dat");
  struct Case {
    const char* what;
    brenlow::IonFlowConditions conditions;
    const char* message;
  };
  brenlow::IonFlowConditions rough, three, mobility, lines;
  rough.roughness = 0;
  three.onset_voltages = {300, 300, 300};
  mobility.mobility_negative = -1e-4;
  lines.lines = 4;
  for (const Case& c : {Case{"roughness", rough, "roughness must be above 0"},
                        Case{"onsets", three, "3 onset voltages for 2 poles"},
                        Case{"mobility", mobility, "negative ion mobility must be above 0"},
                        Case{"lines", lines, "lines per pole must be 8"}}) {
    try {
      brenlow::IonFlowEvaluation flow(bipole, c.conditions);
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const brenlow::Error& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(brenlow::IonFlowEvaluation flow(example("example.dat")), brenlow::Error);  // no DC pole
  brenlow::CrossSection stacked = bipole;
  stacked.groups[1].x = stacked.groups[0].x;
  try {
    brenlow::IonFlowEvaluation flow(stacked);
    ADD_FAILURE() << "two poles in one place accepted";
  } catch (const brenlow::Error& e) {
    EXPECT_NE(std::string(e.what()).find("group 1 POLE + and group 2 POLE - stand in one place"), std::string::npos)
        << e.what();
  }
}

// The full method through the engine: its settings refused by flux tracing,
// the densities only from it, its currents adding up pole by pole.
TEST(IonFlowEvaluation, FullMethodAddsUpAndSamplesTheDensities) {
  const brenlow::CrossSection bipole = example("500kv_dc_bipole.dat");
  brenlow::IonFlowConditions windy;
  windy.wind = 2;
  EXPECT_THROW(brenlow::IonFlowEvaluation(bipole, windy), brenlow::Error);
  const brenlow::IonFlowEvaluation tracing(bipole);
  EXPECT_THROW((void)tracing.densities(0, 10), brenlow::Error);
  EXPECT_EQ(tracing.inter_pole_current(), 0);

  if (!BRENLOW_HEAVY_TESTS) GTEST_SKIP() << "heavy: normal build only";
  brenlow::IonFlowConditions c;
  c.method = brenlow::IonFlowMethod::full;
  c.element_size = 2;  // coarse: what is checked holds on any mesh
  const brenlow::IonFlowEvaluation flow(bipole, c);
  EXPECT_GT(flow.mesh_nodes(), 500u);
  for (const brenlow::IonFlowPole& p : flow.poles()) {
    EXPECT_NEAR(p.current, p.ground_current + p.conductor_current + p.inter_pole_current + p.far_current,
                1e-9 * p.current);
    EXPECT_NEAR(p.inter_pole_current, flow.inter_pole_current(), 1e-4 * p.current);
    EXPECT_NEAR(p.loss, std::abs(p.kv) * p.current * 1e-3, 1e-9 * p.loss);
  }
  EXPECT_GT(flow.recombination_share(), 0);
  EXPECT_LT(flow.recombination_share(), 1);
  EXPECT_TRUE(flow.notes().empty());
  // Mostly positive ions under the positive pole (x = -7 m), negative under
  // the negative one; none inside a conductor or below the ground.
  EXPECT_GT(flow.densities(-7, 10).positive, 3 * flow.densities(-7, 10).negative);
  EXPECT_GT(flow.densities(7, 10).negative, 3 * flow.densities(7, 10).positive);
  for (const auto& [x, y] : {std::pair{-7.0, 15.0}, std::pair{7.0, 15.0}, std::pair{0.0, -1.0}}) {
    EXPECT_EQ(flow.densities(x, y).positive, 0) << x << " " << y;
    EXPECT_EQ(flow.densities(x, y).negative, 0) << x << " " << y;
  }
}

TEST(IonFlowEvaluation, BelowOnsetIsWarned) {
  brenlow::IonFlowConditions c;
  c.onset_voltages = {450, 520};
  const brenlow::IonFlowEvaluation flow(example("500kv_dc_bipole.dat"), c);
  ASSERT_EQ(flow.warnings().size(), 1u);
  EXPECT_NE(flow.warnings()[0].find("POLE -"), std::string::npos) << flow.warnings()[0];
  EXPECT_EQ(flow.poles()[1].current, 0.0);
}

TEST(IonFlowEvaluation, OneEvaluationServesSeveralThreads) {
  const brenlow::IonFlowEvaluation flow(example("500kv_dc_bipole.dat"));
  std::vector<double> xs;
  for (int i = 0; i <= 120; ++i) xs.push_back(-60.0 + i);
  const std::vector<brenlow::IonFlowPoint> alone = flow.profile(xs);
  std::vector<brenlow::IonFlowPoint> a, b;
  std::thread first([&] { a = flow.profile(xs); });
  std::thread second([&] { b = flow.profile(xs); });
  first.join();
  second.join();
  for (std::size_t i = 0; i < xs.size(); ++i) {
    EXPECT_EQ(a[i].j, alone[i].j);
    EXPECT_EQ(b[i].e_total, alone[i].e_total);
  }
}

}  // namespace
