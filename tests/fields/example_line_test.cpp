// The example line (three AC phases, two earth wires typed DC, so the
// gradient step turns the AC phasors through a cycle): the electric field
// at 1 m from the program's bundle charges, and the flux density at 1 m,
// against a double-precision charge simulation of the same line.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "field_reference.hpp"
#include "fields/electric_field.hpp"
#include "fields/magnetic_field.hpp"
#include "gradients/gradients.hpp"

namespace {

using reference::Line;
using reference::phasor;

// The values of one free-form record: separated by commas or blanks,
// strings in apostrophes.
std::vector<std::string> values_of(const std::string& record) {
  std::vector<std::string> values;
  std::string value;
  bool quoted = false, any = false;
  for (const char c : record) {
    if (c == '\'') {
      quoted = !quoted;
      any = true;
    } else if (!quoted && (c == ',' || c == ' ' || c == '\t' || c == '\r')) {
      if (any) values.push_back(value);
      value.clear();
      any = false;
    } else {
      value += c;
      any = true;
    }
  }
  if (any) values.push_back(value);
  return values;
}

struct ExampleLine {
  Inputs inputs{};
  real efheight = 0, mfheight = 0;
  std::vector<real> latpts;
};

// Reads the metric example data file: titles, general data, options,
// heights, one record per group, runs of lateral points.
ExampleLine read_example() {
  std::ifstream file(std::string(BRENLOW_EXAMPLES) + "/example.dat");
  std::vector<std::vector<std::string>> records;
  for (std::string line; std::getline(file, line);) records.push_back(values_of(line));
  ExampleLine ex;
  if (records.size() < 6) return ex;
  const auto& general = records[2];
  const int ncond = std::stoi(general[3]);
  ex.inputs.nphases = static_cast<integer>(std::stoi(general[2]));
  ex.inputs.nearth = static_cast<integer>(ncond - ex.inputs.nphases);
  const auto& heights = records[4];
  ex.mfheight = std::stof(heights[6]);
  ex.efheight = std::stof(heights[8]);
  for (int i = 0; i < ncond; ++i) {
    const auto& g = records[5 + i];
    ex.inputs.acflag[i] = g[1] == "A";
    ex.inputs.xcond[i] = std::stof(g[2]);
    ex.inputs.ycond[i] = std::stof(g[3]);
    ex.inputs.nsub[i] = static_cast<integer>(std::stoi(g[4]));
    ex.inputs.subdiam[i] = std::stof(g[5]);
    ex.inputs.spacing[i] = std::stof(g[6]);
    ex.inputs.volts[i] = std::stof(g[7]);
    ex.inputs.phangle[i] = std::stof(g[8]);
    ex.inputs.current[i] = std::stof(g[9]);
  }
  for (std::size_t r = 5 + ncond; r < records.size(); ++r) {
    const int count = std::stoi(records[r][0]);
    real x = std::stof(records[r][1]);
    const real step = std::stof(records[r][2]);
    for (int k = 0; k < count; ++k, x += step) ex.latpts.push_back(x);
  }
  return ex;
}

// Bundle charges of the line in double precision: Maxwell potential
// coefficients with images, each bundle by its equivalent radius, solved
// for the voltage phasors at the given angles.
std::vector<Line> charges_of(const Inputs& in) {
  const int n = in.nphases + in.nearth;
  std::vector<std::vector<double>> p(n, std::vector<double>(n));
  for (int i = 0; i < n; ++i) {
    const double subconductors = in.nsub[i];
    const double r = in.subdiam[i] / 2000.0;  // m
    const double bundle_radius = in.spacing[i] / 100.0 / (2 * std::sin(std::numbers::pi / subconductors));
    const double equivalent_radius =
        in.nsub[i] == 1 ? r : std::pow(subconductors * r * std::pow(bundle_radius, subconductors - 1), 1 / subconductors);
    for (int j = 0; j < n; ++j) {
      const double dx = in.xcond[i] - in.xcond[j];
      p[i][j] = i == j ? std::log(2.0 * in.ycond[i] / equivalent_radius)
                       : std::log(std::hypot(dx, double(in.ycond[i]) + in.ycond[j]) /
                                  std::hypot(dx, double(in.ycond[i]) - in.ycond[j]));
      p[i][j] *= reference::charge_factor;
    }
  }
  // Gaussian elimination with partial pivoting on [P | V].
  std::vector<phasor> q(n);
  for (int i = 0; i < n; ++i)
    q[i] = std::polar(in.volts[i] * 1000.0, in.phangle[i] * std::numbers::pi / 180.0);
  for (int c = 0; c < n; ++c) {
    int pivot = c;
    for (int r = c + 1; r < n; ++r)
      if (std::abs(p[r][c]) > std::abs(p[pivot][c])) pivot = r;
    std::swap(p[c], p[pivot]);
    std::swap(q[c], q[pivot]);
    for (int r = 0; r < n; ++r) {
      if (r == c) continue;
      const double f = p[r][c] / p[c][c];
      for (int k = c; k < n; ++k) p[r][k] -= f * p[c][k];
      q[r] -= f * q[c];
    }
  }
  std::vector<Line> charges;
  for (int i = 0; i < n; ++i) charges.push_back({in.xcond[i], in.ycond[i], q[i] / p[i][i]});
  return charges;
}

TEST(ExampleLine, FieldsAcrossTheRightOfWayMatchADirectCalculation) {
  ExampleLine ex = read_example();
  ASSERT_EQ(ex.inputs.nphases, 3);
  ASSERT_EQ(ex.inputs.nearth, 2);
  ASSERT_EQ(ex.latpts.size(), 21u);
  ASSERT_TRUE(ztmxgrad(ex.inputs));
  // Hybrid line: the AC angles are left turned on by nearly a cycle.
  EXPECT_NEAR(ex.inputs.phangle[1], 120 + 359.9, 0.05);

  const std::vector<Line> charges = charges_of(ex.inputs);
  std::vector<Line> currents;
  for (int i = 0; i < ex.inputs.nphases; ++i)
    currents.push_back({ex.inputs.xcond[i], ex.inputs.ycond[i],
                        std::polar(double(ex.inputs.current[i]), ex.inputs.phangle[i] * std::numbers::pi / 180.0)});

  double ef_program = 0, ef_direct = 0, mf_program = 0, mf_direct = 0;
  Inputs in = ex.inputs;
  for (const real x : ex.latpts) {
    Outputs out{};
    in.xpoint = x;
    in.evalht = ex.efheight;
    ztelefld(in, out);
    in.evalht = ex.mfheight;
    ztmagfld(in, out);
    const reference::Field e = reference::electric(charges, x, ex.efheight);
    const reference::Field b = reference::magnetic(currents, x, ex.mfheight);
    ef_program = std::max(ef_program, double(out.electric.efmax));
    ef_direct = std::max(ef_direct, reference::sampled_peak(e.horizontal, e.vertical).magnitude / 1000);
    mf_program = std::max(mf_program, double(out.magnetic.mfmax));
    mf_direct = std::max(mf_direct, reference::sampled_peak(b.horizontal, b.vertical).magnitude);
    EXPECT_NEAR(out.electric.efmax / (reference::sampled_peak(e.horizontal, e.vertical).magnitude / 1000), 1.0, 1e-3)
        << "x " << x;
    EXPECT_NEAR(out.magnetic.mfmax / reference::sampled_peak(b.horizontal, b.vertical).magnitude, 1.0, 1e-3)
        << "x " << x;
  }
  EXPECT_NEAR(ef_program / ef_direct, 1.0, 1e-3) << ef_program << " kV/m against " << ef_direct;
  EXPECT_NEAR(mf_program / mf_direct, 1.0, 1e-3) << mf_program << " G against " << mf_direct;
}

}  // namespace
