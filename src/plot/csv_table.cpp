#include "plot/csv_table.hpp"

#include <charconv>
#include <cmath>

namespace plot {

std::string round_trip_text(float value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  if (ec != std::errc()) return "NaN";
  return std::string(buffer, end);
}

std::string write_csv(const Profile& profile, bool feet) {
  std::string out;
  for (std::size_t c = 0; c < column_count; ++c) {
    std::string_view unit = c == distance && feet ? "ft" : columns[c].unit;
    out += (c ? "," : "");
    out += std::string(columns[c].name) + " (" + std::string(unit) + ")";
  }
  out += "\r\n";
  for (const Row& row : profile.rows) {
    for (std::size_t c = 0; c < column_count; ++c) {
      if (c) out += ',';
      out += round_trip_text(row[c]);
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace plot
