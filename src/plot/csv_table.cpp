#include "plot/csv_table.hpp"

#include "cli/numbers.hpp"

namespace plot {

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
      out += cli::round_trip_text(row[c]);
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace plot
