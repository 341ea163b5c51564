#pragma once
// A value as a person reads it in a message: %g, six significant digits.
#include <cstdio>
#include <string>

namespace explorer {

inline std::string short_number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace explorer
