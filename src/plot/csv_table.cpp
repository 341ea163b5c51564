#include "plot/csv_table.hpp"

#include "cli/numbers.hpp"

namespace plot {

std::string write_csv(const Profile& profile, const std::string& distance_unit, cli::BUnit b) {
  std::string out;
  for (std::size_t c = 0; c < column_count; ++c) {
    std::string unit(columns[c].unit);
    if (c == distance) unit = distance_unit.empty() ? "units of the data file" : distance_unit;
    if (c == magnetic_field) unit = cli::b_unit_label(b);
    out += (c ? "," : "");
    out += std::string(columns[c].name) + " (" + unit + ")";
  }
  out += "\r\n";
  const float b_scale = static_cast<float>(cli::per_gauss(b));
  for (const Row& row : profile.rows) {
    for (std::size_t c = 0; c < column_count; ++c) {
      if (c) out += ',';
      // A value not computed is an empty cell, as a spreadsheet leaves a gap.
      if (!is_gap(row[c])) out += cli::round_trip_text(c == magnetic_field ? row[c] * b_scale : row[c]);
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace plot
