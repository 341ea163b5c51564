#pragma once
// The lateral profile of a run: the nine columns of the combined table, one
// row per lateral point, as tesk31 writes them to its DIF file.

#include <array>
#include <cstddef>
#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace plot {

inline constexpr std::size_t column_count = 9;

enum Column : std::size_t {
  distance = 0,
  an_rain,
  an_fair,
  ri_rain,
  ri_fair,
  tv,
  ozone,
  electric_field,
  magnetic_field,
};

// Short name and unit of each column, in table order (distance in metres;
// feet when the run used English units).
struct ColumnInfo {
  std::string_view name;
  std::string_view unit;
};
extern const std::array<ColumnInfo, column_count> columns;

using Row = std::array<float, column_count>;

struct Profile {
  std::vector<Row> rows;
};

// A value that stands for "not computed": the level markers -999.9 and
// -9999.0 (and anything below), not-a-number and the infinities.
bool is_gap(float value);

// True when the ozone column looks as a run without wind leaves it: not a
// number at one point at least (downwind of a bundle) and 0 at every
// other point (upwind), so nothing of ozone can be drawn.
bool ozone_without_wind(const Profile& profile);

// A DIF file that cannot be read as the combined table. what() names the
// file and the record ("RUN.dif, record 27: ...").
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads a DIF table of nine vectors. `name` is used in error messages.
Profile read_dif(std::istream& in, const std::string& name);
Profile read_dif_file(const std::string& path);

}  // namespace plot
