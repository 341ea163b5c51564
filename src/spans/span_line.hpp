#pragma once
// A line of level spans in three dimensions. Every conductor hangs in a
// catenary between its attachment points at the towers and runs on through
// the inner towers; it ends at the two outer ones. Tower steel and
// insulators are not modelled.
//
// Coordinates: x across the line (the cross section's lateral position),
// `along` the line, 0 at the first tower of the middle span and the span
// length at its second; heights above a flat ground.
//
// The electric field comes from a charge simulation: each conductor is a
// chain of straight elements whose line charge varies linearly between the
// nodes, each with its image below the ground; the nodes' charges make the
// potential on the conductor surface (at the bundle's equivalent radius)
// equal to the conductor's voltage. The magnetic field is the Biot-Savart
// sum over the same chains, without images, as the cross-section magnetic
// field treats the ground. Double precision throughout.

#include <array>
#include <complex>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace spans {

using Phasor = std::complex<double>;

// The most elements per span a layout may give, or the choice may take.
inline constexpr int most_elements = 400;

// One conductor group of the line.
struct Conductor {
  double x = 0;       // lateral position, m
  double low = 0;     // height at mid-span, the lowest point, m
  double sag = 0;     // attachment height above the lowest point, m
  double radius = 0;  // equivalent radius of the bundle, m
  Phasor volts;       // voltage phasor against ground, V
  Phasor current;     // current phasor, kA (none for an earth wire)
};

struct Layout {
  double length = 0;  // of each span, m
  int spans = 3;      // odd: the middle span is the one evaluated
  int elements = 0;   // elements per span, 2 to most_elements; 0 chooses them from the span and the heights
};

// The three phasor components of a field: across, along, vertical.
using Components = std::array<Phasor, 3>;

// The catenary parameter a of a span of length L hanging by sag s:
// s = a (cosh(L / 2a) - 1). Infinite for a sag of 0.
double catenary_parameter(double length, double sag);

// Height of a conductor above its lowest point at position u along its
// span (0 and `length` at the towers).
double catenary_height(double length, double sag, double u);

// The layout a Line of these conductors is solved with: the elements per
// span chosen when the layout leaves the choice, fewer where the unknowns
// would pass what a solve takes. Throws std::invalid_argument, as the Line
// does, for a layout or conductors out of range.
Layout solved_layout(const std::vector<Conductor>& conductors, const Layout& layout);
// The unknown charges of `conductors` conductors in `layout`: half of each
// one's nodes. The solve's time grows as their cube.
std::size_t unknowns_of(const Layout& layout, std::size_t conductors);

class Line {
 public:
  // Places the elements and solves for the charges. Throws
  // std::invalid_argument for a layout out of range and std::domain_error
  // when the potential coefficients are singular (two conductors in one place).
  // `checkpoint`, when given, is called between rows of the potential
  // coefficients and between steps of the elimination (a few milliseconds
  // of work apart at most); whatever it throws ends the solve.
  Line(const std::vector<Conductor>& conductors, const Layout& layout,
       const std::function<void()>& checkpoint = nullptr);

  // Electric field, V/m, and space potential, V, at a point.
  Components electric_field(double x, double along, double height) const;
  Phasor potential(double x, double along, double height) const;
  // Magnetic flux density, gauss.
  Components magnetic_field(double x, double along, double height) const;

  // Height of conductor i's axis at a position along the line, m, on the
  // catenary (between the outer towers).
  double conductor_height(std::size_t i, double along) const;
  std::size_t unknowns() const;
  // The layout as solved: the elements per span chosen.
  const Layout& layout() const { return layout_; }

  struct Chain;  // one conductor's nodes, elements and charges

 private:
  std::vector<Conductor> conductors_;
  Layout layout_;
  std::shared_ptr<const std::vector<Chain>> chains_;
};

}  // namespace spans
