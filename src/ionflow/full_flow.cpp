// A line's ion flow by the coupled solver: the domain around the line, the
// poles' onset as flux tracing finds it, and each pole's current by where
// its ions end.

#include "ionflow/full_flow.hpp"

#include <cmath>
#include <stdexcept>

namespace ionflow {

CoupledSolution FullSolution::solve(const std::vector<Bundle>& bundles, std::vector<Pole>& poles,
                                    const Settings& settings, const FullSettings& full, double& radius) {
  if (!(full.element_size >= 0.1 && full.element_size <= 4))
    throw std::invalid_argument("the relative element size must be 0.1 to 4");
  if (!(full.domain >= 4 && full.domain <= 100)) throw std::invalid_argument("the domain must be 4 to 100 times the line's reach");
  if (!std::isfinite(full.wind) || std::abs(full.wind) > 50) throw std::invalid_argument("the wind must be -50 to 50 m/s");
  if (!(full.recombination >= 0) || full.recombination > 1e-9)
    throw std::invalid_argument("the recombination coefficient must be 0 to 1e-9 m3/s");
  poles = find_poles(bundles, settings);
  MeshSpec spec;
  spec.conductors = equivalent_conductors(bundles);
  double lo = bundles.front().x, hi = lo;
  for (const Bundle& b : bundles) lo = std::min(lo, b.x), hi = std::max(hi, b.x);
  spec.centre_x = 0.5 * (lo + hi);
  double reach = 0;
  for (const Circle& c : spec.conductors) reach = std::max(reach, std::hypot(c.x - spec.centre_x, c.y) + c.radius);
  radius = full.domain * reach;
  spec.outer_radius = radius;
  spec.ring_nodes = 4 * static_cast<int>(std::lround(12 / full.element_size));
  std::vector<CoupledConductor> conductors(bundles.size());
  for (std::size_t i = 0; i < bundles.size(); ++i) conductors[i].volts = bundles[i].volts;
  for (const Pole& p : poles)
    if (p.corona) conductors[static_cast<std::size_t>(p.bundle)].onset_ratio = p.onset_voltage / std::abs(p.volts);
  CoupledSettings coupled;
  coupled.mobility_positive = settings.mobility_positive;
  coupled.mobility_negative = settings.mobility_negative;
  coupled.wind = full.wind;
  coupled.recombination = full.recombination;
  return CoupledSolution(spec, conductors, coupled);
}

FullSolution::FullSolution(const std::vector<Bundle>& bundles, const Settings& settings, const FullSettings& full)
    : solution_(solve(bundles, poles_, settings, full, radius_)) {
  std::vector<double> volts;
  for (const Bundle& b : bundles) volts.push_back(b.volts);
  nominal_ = LineCharges::holding(equivalent_conductors(bundles), volts);
  const std::vector<EmitterCurrents>& currents = solution_.currents();
  for (Pole& p : poles_) {
    const std::size_t own = static_cast<std::size_t>(p.bundle);
    const EmitterCurrents& c = currents[own];
    if (c.conductors.empty()) continue;
    p.ground_current = c.ground;
    p.far_current = c.far;
    p.recombined = c.recombined;
    p.inter_pole_current = c.recombined;
    for (std::size_t k = 0; k < bundles.size(); ++k) {
      if (k == own) continue;  // ions back into their own pole carry no net current
      if (bundles[k].volts == 0) p.conductor_current += c.conductors[k];
      else p.inter_pole_current += c.conductors[k];
    }
  }
  // The other polarity's ions landing on a pole leave it as current too.
  for (Pole& p : poles_)
    for (const Pole& q : poles_) {
      const EmitterCurrents& c = currents[static_cast<std::size_t>(q.bundle)];
      if ((q.volts > 0) != (p.volts > 0) && !c.conductors.empty())
        p.inter_pole_current += c.conductors[static_cast<std::size_t>(p.bundle)];
    }
  for (Pole& p : poles_) {
    p.loss = std::abs(p.volts) * p.current();
    if (p.volts > 0) inter_pole_ += p.inter_pole_current;
  }
}

GroundValues FullSolution::at(double x) const {
  GroundValues v;
  v.e_nominal = std::abs(nominal_.ground_field(x));
  const CoupledGroundValues g = solution_.at_ground(x);
  v.e_total = std::abs(g.e_down);
  v.j = g.j;
  v.rho = g.rho;
  return v;
}

}  // namespace ionflow
