#pragma once
// The JSON the session writes for the page: strings with every byte outside
// printable ASCII escaped (names are Latin-1), numbers as the shortest text
// of the given significant digits, and never NaN or an infinity: such a
// value is written null, which the page reads as "not computed".

#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace explorer::json {

inline void put_string(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte >= 0x7f) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", byte);  // other bytes as Latin-1
      out += escape;
    } else {
      out += c;
    }
  }
  out += '"';
}

// Every number with 17 significant digits, whatever its writer asks for:
// the value's every bit, for the tests that compare the WebAssembly module
// with the native build (the page never sets it).
inline bool exact_numbers = false;

// Writes `value` with `digits` significant digits; returns false when it
// was not finite and null was written instead.
inline bool put_number(std::string& out, double value, int digits = 9) {
  if (exact_numbers) digits = 17;
  if (!std::isfinite(value)) {
    out += "null";
    return false;
  }
  char text[40];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  out += text;
  return true;
}

// A key of an object being written (the comma before it when needed).
inline void put_key(std::string& out, std::string_view key) {
  if (out.back() != '{') out += ',';
  put_string(out, key);
  out += ':';
}

// An array of numbers under `key`; returns how many were written null.
template <typename T>
std::size_t put_series(std::string& out, std::string_view key, const std::vector<T>& values, int digits = 9) {
  put_key(out, key);
  out += '[';
  std::size_t missing = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out += ',';
    if (!put_number(out, static_cast<double>(values[i]), digits)) ++missing;
  }
  out += ']';
  return missing;
}

}  // namespace explorer::json
