#pragma once
// The coupled equations of bipolar ion flow on a cross section, solved
// directly (no assumption on the field lines):
//
//   div(e0 grad phi) = -(rho+ - rho-)
//   div(rho+ ( k+ E + W)) = -R rho+ rho- / e
//   div(rho- (-k- E + W)) = -R rho+ rho- / e
//
// rho+ and rho- are magnitudes, W the horizontal wind velocity, no diffusion.
// Poisson by linear finite elements (the matrix factored once), each
// continuity equation by upwind finite volumes on the median-dual cells,
// the recombination on the other density of the previous iterate.
//
// Kaptzov's condition: a conductor in corona emits ions of its polarity
// with one surface density rho_s all round, held so that its charge, and so
// its average surface field (Gauss), is `onset_ratio` times its charge
// without space charge. In each iteration the densities are solved for a
// unit rho_s of each emitting conductor in the field of the previous
// iterate; Poisson being linear, the rho_s that meet the condition on every
// emitter at once follow from a small linear system; the densities then
// move part of the way (under-relaxation) until they settle.
//
// SI units: m, V, V/m, C/m3, A/m2, A/m.

#include <memory>
#include <vector>

#include "ionflow/mesh.hpp"

namespace ionflow {

inline constexpr double elementary_charge = 1.602176634e-19;  // C

struct CoupledSettings {
  double mobility_positive = 1.5e-4;  // m2/(V s)
  double mobility_negative = 1.8e-4;
  double wind = 0;                    // m/s, towards positive x
  double recombination = 2.2e-12;     // m3/s
  double relaxation = 0.5;            // share of each iteration's new densities taken
  double tolerance = 2e-5;            // largest density change per iteration, relative to the largest density
  int max_iterations = 600;
};

// One conductor of the domain, in the mesh's order of conductors.
struct CoupledConductor {
  double volts = 0;
  // Emits when above 0 and below 1: its charge held at this share of the
  // charge without space charge (V0 / |V| for a line's pole).
  double onset_ratio = 0;
};

// Where the ions of one emitting conductor go, A/m (magnitudes).
struct EmitterCurrents {
  double emitted = 0;
  double ground = 0;        // into the ground (or the outer cylinder)
  double far = 0;           // out through the far boundary (carried by the wind)
  std::vector<double> conductors;  // into each conductor
  double recombined = 0;    // lost with ions of the other polarity
};

struct CoupledGroundValues {
  double e_down = 0;   // the field's downward component, V/m
  double j = 0;        // current density into the ground, A/m2, positive ions positive
  double rho = 0;      // net space charge, C/m3
};

struct Densities {
  double positive = 0, negative = 0;  // C/m3, magnitudes
};

class CoupledSolution {
 public:
  // Throws std::invalid_argument on a wrong list of conductors or settings,
  // std::runtime_error when the iteration does not settle.
  CoupledSolution(const MeshSpec& spec, const std::vector<CoupledConductor>& conductors, const CoupledSettings& settings);
  ~CoupledSolution();
  CoupledSolution(CoupledSolution&&) noexcept;
  CoupledSolution& operator=(CoupledSolution&&) noexcept;

  const Mesh& mesh() const;
  int iterations() const { return iterations_; }
  // Each conductor's charge, C/m, with and without the space charge.
  const std::vector<double>& charges() const { return charges_; }
  const std::vector<double>& nominal_charges() const { return nominal_charges_; }
  // The emitted surface density of each conductor, C/m3 (0 when it does not emit).
  const std::vector<double>& surface_densities() const { return surface_; }
  // Per conductor; only emitters' are filled.
  const std::vector<EmitterCurrents>& currents() const { return currents_; }
  double recombination_current() const;  // A/m, all recombination in the air

  // At the ground, x in m; beyond the domain's ends the values are 0. Only
  // for a domain above the ground.
  CoupledGroundValues at_ground(double x) const;
  // The densities at (x, y), linear in each triangle; 0 outside the mesh.
  Densities at(double x, double y) const;
  double potential(double x, double y) const;  // V; 0 outside the mesh

  struct State;

 private:
  std::unique_ptr<State> state_;
  int iterations_ = 0;
  std::vector<double> charges_, nominal_charges_, surface_;
  std::vector<EmitterCurrents> currents_;
};

}  // namespace ionflow
