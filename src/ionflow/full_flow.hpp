#pragma once
// The ion flow of a line by the coupled equations solved directly
// (coupled.hpp): each bundle an equivalent single conductor (radius r_eq),
// earth wires and AC conductors at 0 V, a pole in corona held by Kaptzov's
// condition at the onset that flux tracing takes (its charge, so its
// equivalent conductor's average surface field, at V0 / |V| of the nominal),
// a pole below onset emitting nothing; wind across the line and
// recombination of the two polarities.
//
// SI units: m, V, V/m, A/m2, C/m3, A/m, W/m.

#include <vector>

#include "ionflow/coupled.hpp"
#include "ionflow/ion_flow.hpp"

namespace ionflow {

struct FullSettings {
  double wind = 0;                 // m/s, towards positive x
  double recombination = 2.2e-12;  // m3/s
  // The element size relative to the default (0.5 halves it): the mesh
  // has 48 / element_size nodes on each ring around a conductor.
  double element_size = 1;
  // The domain's radius over the line's reach from its centre (the largest
  // distance of a conductor from the foot of the line's middle).
  double domain = 12;
};

class FullSolution {
 public:
  // Throws std::invalid_argument on wrong settings or bundles,
  // std::runtime_error when the iteration does not settle.
  FullSolution(const std::vector<Bundle>& bundles, const Settings& settings, const FullSettings& full);

  const std::vector<Pole>& poles() const { return poles_; }
  const LineCharges& nominal() const { return nominal_; }
  GroundValues at(double x) const;
  // Ion densities (magnitudes, C/m3) at (x, y); 0 in a conductor, below
  // the ground and beyond the domain.
  Densities densities(double x, double y) const { return solution_.at(x, y); }
  // From the positive poles to the negative ones through the air, and of it
  // recombined in the air, A/m.
  double inter_pole_current() const { return inter_pole_; }
  double recombination_current() const { return solution_.recombination_current(); }
  double domain_radius() const { return radius_; }
  const CoupledSolution& coupled() const { return solution_; }

 private:
  static CoupledSolution solve(const std::vector<Bundle>& bundles, std::vector<Pole>& poles, const Settings& settings,
                               const FullSettings& full, double& radius);
  LineCharges nominal_;
  std::vector<Pole> poles_;
  double radius_ = 0;
  CoupledSolution solution_;
  double inter_pole_ = 0;
};

}  // namespace ionflow
