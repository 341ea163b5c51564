// An evaluation that takes its capacitance coefficients from another one
// gives the values of a fresh evaluation, bit for bit: with the same bundles
// (other angles or voltages) the coefficients are shared; with other
// bundles they are not, and it must not matter which came first.

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "engine/engine.hpp"

namespace {

struct Change {
  const char* name;
  std::function<void(brenlow::CrossSection&)> apply;
};

const Change changes[] = {
    {"OtherAngles", [](brenlow::CrossSection& s) { for (auto& g : s.groups) g.phase += 120.0f; }},
    {"OtherVoltagesAndCurrents",
     [](brenlow::CrossSection& s) {
       for (auto& g : s.groups) {
         g.kv *= 1.1f;
         g.ka *= 0.5f;
       }
     }},
    {"BundleMoved", [](brenlow::CrossSection& s) { s.groups[0].x += 0.5f; }},
    {"BundleRaised", [](brenlow::CrossSection& s) { s.groups.back().y += 1.0f; }},
    {"OtherDiameter", [](brenlow::CrossSection& s) { s.groups[1].diameter *= 1.1f; }},
    {"OtherSpacing", [](brenlow::CrossSection& s) { s.groups[0].spacing += 5.0f; }},
    {"OneSubconductorMore", [](brenlow::CrossSection& s) { s.groups[0].subconductors += 1; }},
    {"LastGroupDropped", [](brenlow::CrossSection& s) { s.groups.pop_back(); }},
};

const char* const lines[] = {"example.dat", "500kv_flat.dat", "hybrid"};

std::string path_of(const std::string& line) {
  return line == "hybrid" ? std::string(BRENLOW_TEST_DATA) + "/engine/hybrid.dat"
                          : std::string(BRENLOW_EXAMPLES) + "/" + line;
}

// Every float the evaluation gives at a few places, NaN included.
std::vector<float> everything(const brenlow::Evaluation& run) {
  std::vector<float> v;
  for (const brenlow::GroupResult& g : run.groups())
    v.insert(v.end(), {g.gradient, g.computed_gradient, g.phase, g.corona_loss, g.ozone_production});
  for (float x : {-40.0f, -5.0f, 0.0f, 12.5f, 60.0f}) {
    const brenlow::Point p = run.point(x);
    v.insert(v.end(), {p.an_rain, p.an_fair, p.ri_rain, p.ri_fair, p.tv, p.ozone, p.e, p.b});
    v.insert(v.end(), {p.e_ac, p.e_dc, p.b_ac, p.b_dc});
    for (const brenlow::Part part : {brenlow::Part::ac, brenlow::Part::dc}) {
      const brenlow::ElectricField e = run.electric_field(x, 1.0f, part);
      const brenlow::MagneticField b = run.magnetic_field(x, 1.0f, part);
      v.insert(v.end(), {e.max, e.direction, e.horizontal, e.horizontal_phase, e.vertical, e.vertical_phase,
                         e.potential, b.max, b.horizontal, b.vertical});
    }
  }
  v.push_back(run.singular() ? 1.0f : 0.0f);
  return v;
}

bool same_bits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

class SharedCapacitance : public ::testing::TestWithParam<std::tuple<const char*, Change>> {};

TEST_P(SharedCapacitance, ValuesOfAFreshEvaluation) {
  const auto& [line, change] = GetParam();
  const brenlow::CrossSection given = brenlow::read_data_file(path_of(line));
  brenlow::CrossSection changed = given;
  change.apply(changed);
  if (changed.energized > static_cast<int>(changed.groups.size()))
    changed.energized = static_cast<int>(changed.groups.size());
  const brenlow::Evaluation first(given);
  const brenlow::Evaluation second(changed);
  // Either way round.
  EXPECT_TRUE(same_bits(everything(brenlow::Evaluation(changed, first)), everything(second)));
  EXPECT_TRUE(same_bits(everything(brenlow::Evaluation(given, second)), everything(first)));
}

INSTANTIATE_TEST_SUITE_P(Engine, SharedCapacitance,
                         ::testing::Combine(::testing::ValuesIn(lines), ::testing::ValuesIn(changes)),
                         [](const auto& info) {
                           std::string n = std::string(std::get<0>(info.param)) + "_" + std::get<1>(info.param).name;
                           for (char& c : n)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

}  // namespace
