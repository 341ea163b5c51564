#include "cli/units.hpp"

#include <cctype>
#include <string>

namespace cli {

std::optional<BUnit> parse_b_unit(std::string_view text) {
  if (text == "\xC2\xB5T" || text == "\xC2\xB5t") return BUnit::microtesla;  // µT in UTF-8
  std::string lower;
  for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower == "ut") return BUnit::microtesla;
  if (lower == "mg") return BUnit::milligauss;
  if (lower == "g") return BUnit::gauss;
  return std::nullopt;
}

std::string_view b_unit_label(BUnit b) {
  switch (b) {
    case BUnit::milligauss: return "mG";
    case BUnit::gauss: return "G";
    case BUnit::microtesla: break;
  }
  return "uT";
}

double per_gauss(BUnit b) {
  switch (b) {
    case BUnit::milligauss: return 1000;
    case BUnit::gauss: return 1;
    case BUnit::microtesla: break;
  }
  return 100;
}

}  // namespace cli
