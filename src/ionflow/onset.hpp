#pragma once
// Corona onset of a DC pole: the largest subconductor surface gradient of
// its bundle, Peek's onset gradient, and the onset voltage.

#include <vector>

#include "ionflow/line_charges.hpp"

namespace ionflow {

// One conductor group as the ion flow sees it.
struct Bundle {
  double x = 0;              // bundle centre, m
  double y = 0;              // above the ground, m
  int subconductors = 1;     // n, at least 1
  double radius = 0;         // subconductor radius r, m
  double spacing = 0;        // of adjacent subconductors s, m (n > 1)
  double volts = 0;          // DC potential, V: 0 for earth wires and AC conductors
  bool pole = false;         // a DC pole in corona when above onset

  // The circle the subconductors sit on: R = s / (2 sin(pi / n)); 0 for one.
  double bundle_radius() const;
  // The single conductor standing for the bundle: r_eq = (n r R^(n-1))^(1/n).
  double equivalent_radius() const;
  // The subconductors, on the bundle circle at 90 + 180/n + k 360/n degrees
  // (a 4-bundle is a square with horizontal sides).
  std::vector<Circle> subconductor_circles() const;
};

// Relative air density at an altitude (m) by the standard atmosphere at
// 20 C: the pressure ratio (1 - 2.25577e-5 h)^5.25588; 1 at sea level.
double relative_air_density(double altitude);

// Peek's onset gradient, kV/cm: 30 m delta (1 + 0.301 / sqrt(delta r)), r in cm.
double peek_onset_gradient(double roughness, double air_density, double radius_cm);

// Each bundle's largest subconductor surface gradient, V/m (0 for a bundle
// at 0 V): one line charge per subconductor at its centre with images,
// charges from the potential coefficients, and for subconductor i
// E = |q_i| / (2 pi e0 r) + 2 |E_ext,i|, E_ext,i the field at its centre
// from every other charge and every image.
std::vector<double> max_surface_gradients(const std::vector<Bundle>& bundles);

}  // namespace ionflow
