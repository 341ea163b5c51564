#pragma once
// Line charges above a flat, perfectly conducting ground, each with its
// image below it: the nominal field of a DC line (the field of the
// conductor charges alone, no space charge). SI units: m, V, C/m, V/m.

#include <cstddef>
#include <vector>

namespace ionflow {

inline constexpr double epsilon0 = 8.8541878128e-12;  // F/m
inline constexpr double pi = 3.14159265358979323846;

// A round conductor: its centre and radius, m; y above the ground.
struct Circle {
  double x = 0;
  double y = 0;
  double radius = 0;
};

class LineCharges {
 public:
  LineCharges() = default;
  // The charges at the conductors' centres that hold each conductor at its
  // potential (V) at its radius: P q = V, with the potential coefficients
  // P_ii = ln(2 y_i / r_i) / (2 pi e0) and P_ij = ln(D'_ij / D_ij) / (2 pi e0),
  // D the distance between centres and D' that to the image. Throws
  // std::invalid_argument when the coefficients are singular (two
  // conductors in one place).
  static LineCharges holding(const std::vector<Circle>& conductors, const std::vector<double>& volts);
  // Charges given directly, C/m.
  LineCharges(std::vector<double> x, std::vector<double> y, const std::vector<double>& charges);

  std::size_t size() const { return x_.size(); }
  double x(std::size_t i) const { return x_[i]; }
  double y(std::size_t i) const { return y_[i]; }
  double charge(std::size_t i) const { return k_[i] * 2 * pi * epsilon0; }  // C/m

  // The field at (x, y), V/m; returns the squared distance to the nearest
  // charge or image, m2 (the length scale of the field there).
  double field(double x, double y, double& ex, double& ey) const;
  double potential(double x, double y) const;  // V
  // The field at (x, y) from every charge but `skip` and from every image, V/m.
  void field_without(std::size_t skip, double x, double y, double& ex, double& ey) const;
  // The downward field at the ground at lateral position x, V/m (negative
  // where the field points up out of the ground).
  double ground_field(double x) const;
  // The flux of the field (V, per metre of line) out through the arc of the
  // circle of `radius` around charge `own` from angle a to angle b
  // (radians, counter-clockwise, a < b < a + 2 pi).
  double flux_out_of_arc(std::size_t own, double radius, double a, double b) const;

 private:
  std::vector<double> x_, y_, k_;  // k: charge / (2 pi e0), V
};

}  // namespace ionflow
