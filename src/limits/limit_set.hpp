#pragma once
// Limit sets: for each quantity a set limits, the value and its unit, where
// it applies (at the edges of the right-of-way, within it, anywhere), the
// frequency it applies to, the voltage class it belongs to and its source.
// A set is a small TOML file (docs/limits.md), a user's own or one of those
// shipped with the programs, which every build holds in itself.
//
//   limits::LimitSet set = limits::limit_set("florida");      // shipped
//   limits::LimitSet mine = limits::limit_set("mine.toml");   // a file

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "limits/quantity.hpp"

namespace limits {

// A limit set that cannot be read or used; the message says what and where
// ("mine.toml, line 7: limit 2: unit \"kV\" is not a unit of E (kV/m, V/m)").
class LimitError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where a limit holds: at the two edges of the right-of-way, anywhere
// within it (edges included), or anywhere at all (within it and beyond).
enum class Where { edge, row, anywhere };
std::string_view where_name(Where w);  // "edge", "row", "anywhere"

// The frequency a limit is set for. A line's frequency is 50 or 60 Hz for
// its AC phases (the data file does not hold it: the user says), 0 for its
// DC poles.
enum class Frequency { hz50, hz60, dc, any };
std::string_view frequency_name(Frequency f);  // "50 Hz", "60 Hz", "DC", "any"

// A range of line voltages (kV, line to line for AC, pole to ground for DC):
// above `above` (when given) and up to `up_to` (when given).
struct VoltageClass {
  std::optional<double> above;
  std::optional<double> up_to;
  std::string name;  // as the file names it, else made from the range ("above 230 kV up to 500 kV")

  // True when the voltage lies in the range. The ends are taken 0.5 % wide,
  // as a nominal voltage entered line to ground comes back line to line a
  // little off (132.8 kV x 1.732 = 230.01 kV is in the class up to 230 kV,
  // and not above it).
  bool contains(double kv) const;
};

// The relative width of a class's ends.
inline constexpr double class_tolerance = 0.005;

struct Limit {
  Quantity quantity = Quantity::e;  // E, E-RES, B, B-RES, AN, RI, E-TOTAL, J, ... (any the tools name)
  double value = 0;                 // in `unit`
  std::string unit;                 // as written: kV/m, V/m, uT, mT, mG, G, dB(A), dB(uV/m), nA/m2
  double base_value = 0;            // in the quantity's base unit: kV/m, gauss (B), dB, nA/m2
  Where where = Where::anywhere;
  Frequency frequency = Frequency::any;
  std::optional<VoltageClass> voltage;  // the class the limit belongs to; none: every line
  std::string source;                   // where the value comes from
  int line = 0;                         // its line in the set's file (0 when not known)
};

struct LimitSet {
  std::string name;    // the shipped set's name, or the file's name
  std::string title;   // what the set is, one line
  std::string source;  // the set's source as a whole (each limit may name its own)
  std::vector<Limit> limits;
};

// Reads a set from TOML text; `name` stands for it in messages. Throws
// LimitError naming the line and the limit for anything it cannot use: an
// unknown key, quantity, unit, place or frequency, a value that is not a
// number above 0, a voltage class whose range is empty.
LimitSet parse_limit_set(const std::string& text, const std::string& name);
// Reads a set from a file (through the file layer); throws LimitError.
LimitSet read_limit_set(const std::string& path);

// The shipped sets' names, in order: "florida", "icnirp-1998", ...
std::vector<std::string> shipped_set_names();
// A shipped set by its name (any case); none for another name.
std::optional<LimitSet> shipped_set(std::string_view name);
// The text of a shipped set's file, as shipped; empty for another name.
std::string shipped_set_text(std::string_view name);

// A shipped set's name or a file's: a shipped name first, then a file of
// that name. Throws LimitError for neither, listing the shipped names.
LimitSet limit_set(const std::string& name_or_file);

// The limit as the set gives it: "150 mG", "4.17 kV/m".
std::string given_text(const Limit& limit);

// The limit's value in the unit the tools show the quantity in (B in `b`).
double shown_limit(const Limit& limit, BUnit b);

// What the shipped sets' files are made into (embed_sets.cmake).
struct ShippedText {
  const char* name;
  const char* text;
};
const std::vector<ShippedText>& shipped_set_texts();

}  // namespace limits
