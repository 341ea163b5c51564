#pragma once
// Lines of energized bundles for the corona routine tests.

#include <initializer_list>

#include "model/problem_data.hpp"

struct Bundle {
  bool ac = true;
  integer nsub = 1;
  real subdiam = 30.0f;  // mm
  real gradient = 17.0f; // kV/cm
  real x = 0.0f;         // m
  real y = 15.0f;        // m
};

// The bundles as groups 1..n of a line, seen from (xpoint, height).
inline Inputs line_of(std::initializer_list<Bundle> bundles, real height, real xpoint) {
  Inputs inputs;
  int i = 0;
  for (const Bundle& b : bundles) {
    inputs.acflag[i] = b.ac;
    inputs.nsub[i] = b.nsub;
    inputs.subdiam[i] = b.subdiam;
    inputs.gradient[i] = b.gradient;
    inputs.xcond[i] = b.x;
    inputs.ycond[i] = b.y;
    ++i;
  }
  inputs.nphases = static_cast<integer>(i);
  inputs.gndcond = 4.0f;
  inputs.evalht = height;
  inputs.xpoint = xpoint;
  return inputs;
}

// n copies of one bundle.
inline Inputs line_of_copies(const Bundle& b, int n, real height, real xpoint) {
  Inputs inputs = line_of({b}, height, xpoint);
  for (int i = 1; i < n; ++i) {
    inputs.acflag[i] = inputs.acflag[0];
    inputs.nsub[i] = inputs.nsub[0];
    inputs.subdiam[i] = inputs.subdiam[0];
    inputs.gradient[i] = inputs.gradient[0];
    inputs.xcond[i] = inputs.xcond[0];
    inputs.ycond[i] = inputs.ycond[0];
  }
  inputs.nphases = static_cast<integer>(n);
  return inputs;
}
