#pragma once
// The ion flow of a DC line in corona, by flux tracing under Deutsch's
// assumption:
//
// 1. Onset: each pole's largest subconductor surface gradient, its onset
//    gradient (Peek's, or given) and its onset voltage V0 = |V| E_on / E_max
//    (or given).
// 2. The nominal field for the tracing: each bundle an equivalent single
//    conductor at its centre (radius r_eq), charges from the potential
//    coefficients with ground images; earth wires and AC conductors at 0 V.
// 3. Lines of that field start uniformly in angle on each pole's equivalent
//    conductor, where the nominal potential is the pole's voltage (then halved in angle where their landings on the ground lie
//    far apart or where lines of different ends meet) and are traced with
//    the potential as the parameter to the ground, to a conductor at 0 V,
//    or into the space between the poles.
// 4. Each line to the ground or to a conductor at 0 V is solved on its own
//    (line_solution.hpp); lines from pole to pole, where ions of both
//    polarities meet, are not solved.
// 5. At the ground: E_s / E_nom = A and J / E_nom = k C, interpolated in the
//    landing position between the traced lines, times the nominal field of
//    the section there. Each flux tube carries the current k C dPsi.
//
// SI units: m, V, V/m, A/m2, C/m3, A/m, W/m.

#include <vector>

#include "ionflow/line_charges.hpp"
#include "ionflow/onset.hpp"

namespace ionflow {

struct Settings {
  double roughness = 0.45;            // Peek's m
  double air_density = 1;             // relative, delta
  double mobility_positive = 1.5e-4;  // m2/(V s)
  double mobility_negative = 1.8e-4;
  // One value for every pole, or one per pole in the bundles' order; empty
  // when not given. A given onset voltage overrides a given onset gradient,
  // which overrides Peek's.
  std::vector<double> onset_gradients;  // V/m
  std::vector<double> onset_voltages;   // V
  int lines = 64;                       // per pole, before the refinement; at least 8
  double tolerance = 1e-8;              // of each tracing step
};

// Where the lines from a pole go.
struct LineCounts {
  int ground = 0;
  int conductors = 0;     // earth wires and AC conductors, at 0 V
  int between_poles = 0;  // to another pole: not solved
  int lost = 0;           // too far or not finished: not solved
};

struct Pole {
  int bundle = 0;            // index in the bundles given
  double volts = 0;
  double max_gradient = 0;   // largest subconductor surface gradient, V/m
  double onset_gradient = 0; // V/m
  double onset_voltage = 0;  // V
  bool corona = false;       // |V| above V0
  double mobility = 0;       // of its ions, m2/(V s)
  double ground_current = 0;     // into the ground, A/m (magnitude)
  double conductor_current = 0;  // into earth wires and AC conductors, A/m
  // The coupled solution's only (0 from flux tracing): from pole to pole
  // (its ions into other poles, the other polarity's ions into it, and its
  // ions recombined in the air), of which recombined, and out of the
  // section with the wind, A/m.
  double inter_pole_current = 0;
  double recombined = 0;
  double far_current = 0;
  double loss = 0;               // |V| times the current, W/m
  LineCounts lines;
  double unsolved_flux = 0;  // share of the pole's flux on lines not solved (between poles, lost)
  double current() const { return ground_current + conductor_current + inter_pole_current + far_current; }
};

// A traced line's end on the ground.
struct Landing {
  double x = 0;      // m
  int pole = 0;      // index into poles()
  double a = 1;      // E_s / E_nom there
  double c = 0;      // C = rho A, signed by the pole's polarity, C/m3
  double kc = 0;     // k C = J / E_nom, signed, A/(V m)
};

struct GroundValues {
  double e_nominal = 0;  // |E| of the nominal field, V/m
  double e_total = 0;    // |E| with the space charge, V/m
  double j = 0;          // ion current density, A/m2, positive ions into the ground positive
  double rho = 0;        // space charge density, C/m3, signed
};

// The DC poles among the bundles with their onset (the largest surface
// gradient, the onset gradient and voltage, whether in corona) and mobility.
// Throws std::invalid_argument as Solution does.
std::vector<Pole> find_poles(const std::vector<Bundle>& bundles, const Settings& settings);

// Each bundle as its equivalent single conductor.
std::vector<Circle> equivalent_conductors(const std::vector<Bundle>& bundles);

class Solution {
 public:
  // Throws std::invalid_argument naming what is wrong with the settings or
  // the bundles (a pole list of the wrong length, a mobility not above 0, ...).
  Solution(const std::vector<Bundle>& bundles, const Settings& settings);

  const std::vector<Pole>& poles() const { return poles_; }
  // Sorted by x.
  const std::vector<Landing>& landings() const { return landings_; }
  // The nominal field of the equivalent conductors.
  const LineCharges& nominal() const { return nominal_; }
  GroundValues at(double x) const;

 private:
  void trace_pole(std::size_t p, const std::vector<Bundle>& bundles, const Settings& settings);

  LineCharges nominal_;
  std::vector<Pole> poles_;
  std::vector<Landing> landings_;
};

}  // namespace ionflow
