#pragma once
// Maxwell potential coefficients with ground images, their inversion, the
// bundle charges and the maximum bundle surface gradients.

#include <array>

#include "model/problem_data.hpp"

// 50 by 50 single-precision storage, column after column: element (r, c),
// 1-based, at index (c - 1) * 50 + (r - 1).
using Matrix = std::array<real, max_groups * max_groups>;

// Inverts the leading n by n block in place (Gauss-Jordan, full pivoting).
// Returns false when the matrix proved singular (a zero pivot, or the
// search found no usable pivot and the routine left early); the block then
// holds whatever the elimination left in it.
bool ztmxinvr(Matrix& matrix, integer n);

// Equivalent diameter of group i's bundle, m: the diameter of the single
// conductor with the bundle's capacitance.
real equivalent_diameter(const Inputs& inputs, int i);

// Fills calcgrad, qreal and qimag of every group; on a line with AC and DC
// groups advances every AC phangle through one cycle in place. Returns
// false when the potential coefficient matrix was singular.
bool ztmxgrad(Inputs& inputs);

// The capacitance coefficients of a line: its potential coefficients with
// the ground images, inverted. They follow from the bundles alone (places,
// subconductors, diameters, spacings), not from voltages or angles, so lines
// that differ only in those share them.
struct Capacitance {
  Matrix coefficients{};
  bool regular = true;  // false: the potential coefficients proved singular
};
Capacitance capacitance(const Inputs& inputs);
// True when the two inputs have the same bundles: the same capacitance.
bool same_bundles(const Inputs& a, const Inputs& b);
// ztmxgrad with the capacitance coefficients of the line already computed
// (those of capacitance(inputs), or of a line with the same bundles).
bool ztmxgrad(Inputs& inputs, const Capacitance& known);
