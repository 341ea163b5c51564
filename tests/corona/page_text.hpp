#pragma once
// Reading a rendered report page back as records and building the expected
// text of its fields from the field widths of their format descriptors.

#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "model/problem_data.hpp"
#include "support/records.hpp"

// An Fw.d field of a finite value: right-justified in w columns.
inline std::string f_field(real value, int w, int d) {
  char text[64];
  std::snprintf(text, sizeof text, "%*.*f", w, d, static_cast<double>(value));
  return std::string(text);
}

// n consecutive Fw.d fields: field k occupies columns w(k-1)+1..wk.
inline std::string f_fields(const std::vector<real>& values, int w, int d) {
  std::string line;
  for (const real v : values) line += f_field(v, w, d);
  return line;
}

inline std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }
