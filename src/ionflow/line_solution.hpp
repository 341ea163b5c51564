#pragma once
// The space charge along one traced line under Deutsch's assumption: the
// total field keeps the nominal field's direction, E = A E_nom, and with
// the nominal potential drop u from the conductor as the parameter
//
//   rho A = C (constant on the line),
//   A(u)^2 = A_c^2 + (2 C / e0) G(u),   G(u) = Int_0^u du' / E_nom^2,
//
// C fixed by Int_0^U A du = U (the total field spends the same potential
// drop U as the nominal one), A_c = V0 / |V| holding the conductor surface
// at its onset field (Kaptzov). Magnitudes: C and rho carry the pole's sign
// outside.

#include <vector>

namespace ionflow {

struct LineSolution {
  double c = 0;      // C = rho A, C/m3 (magnitude)
  double a_end = 1;  // A where the line ends: E = A E_nom there
  int iterations = 0;
};

// `u`, `g`, `w`: the nodes of a traced line (u from 0 to U, G, 1/E^2, as
// trace_line gives them); `a_c` = V0 / |V|. At or below onset (a_c >= 1)
// there are no ions: C = 0, A = 1. Int A du is taken by Simpson's rule on
// each step, G at mid-step from the cubic through the step's ends and slopes.
LineSolution solve_line(const std::vector<double>& u, const std::vector<double>& g, const std::vector<double>& w,
                        double a_c);

}  // namespace ionflow
