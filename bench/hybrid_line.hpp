#pragma once
// The groups of the largest benchmark case, shared by the benchmarks.

#include "model/problem_data.hpp"

// Ten AC circuits, nine DC bipoles and two earth wires, every group at its
// own place: 50 groups in all.
inline void put_hybrid_groups(Inputs& in) {
  in.nphases = 48;
  in.nearth = 2;
  for (int i = 0; i < 48; ++i) {
    in.xcond[i] = -60.0f + 2.5f * static_cast<real>(i);
    in.ycond[i] = 15.0f + 5.0f * static_cast<real>(i % 3);
    in.nsub[i] = static_cast<integer>(2 + i % 3);
    in.subdiam[i] = 30.0f;
    in.spacing[i] = 45.0f;
    if (i < 30) {
      in.acflag[i] = true;
      in.volts[i] = 345.0f;
      in.phangle[i] = 120.0f * static_cast<real>(i % 3);
    } else {
      in.acflag[i] = false;
      in.volts[i] = i % 2 == 0 ? 400.0f : -400.0f;
    }
  }
  for (int i = 48; i < 50; ++i) {
    in.xcond[i] = i == 48 ? -20.0f : 20.0f;
    in.ycond[i] = 40.0f;
    in.nsub[i] = 1;
    in.subdiam[i] = 11.0f;
    in.acflag[i] = false;
  }
}
