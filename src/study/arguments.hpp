#pragma once
// Arguments of the subcommands: input files, options with values, and the
// checks every subcommand shares (numbers, points, outputs that would
// overwrite an input).

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/engine.hpp"
#include "study/quantity.hpp"

namespace study {

// A parsed command line: the words that are not options, and the values of
// each option in order. Options given as "--name VALUE" or "--name=VALUE";
// "--" ends the options.
struct Arguments {
  std::vector<std::string> files;
  std::map<std::string, std::vector<std::string>> values;

  // Throws StudyError for an option not in `valued` or `flags`, or one
  // without its value.
  static Arguments parse(const std::vector<std::string>& args, const std::set<std::string>& valued,
                         const std::set<std::string>& flags = {});

  bool has(const std::string& option) const { return values.count(option) > 0; }
  const std::vector<std::string>& all(const std::string& option) const;
  // The one value of an option given at most once; throws when given twice.
  std::optional<std::string> one(const std::string& option) const;
};

// A finite number; throws StudyError naming the option and the text.
float parse_number(const std::string& option, const std::string& text);
// A whole number within [low, high].
long parse_count(const std::string& option, const std::string& text, long low, long high);
// The items of a comma-separated list, in order, empty ones kept ("a,,b"
// is "a", "", "b").
std::vector<std::string> split_commas(const std::string& text);
// A comma-separated list of group numbers from 1 (ranges "4-6" allowed),
// returned 0-based.
std::vector<int> parse_groups(const std::string& option, const std::string& text);

// The unit --b-unit names (uT, mG or G, in any case), none when not given;
// throws StudyError for another name. Without it B is shown in uT for a file
// in metric units and mG for one in English units.
std::optional<BUnit> b_unit_given(const Arguments& args);

// The frequency of a line's AC phases, --frequency 50 or 60 (Hz; default
// 60), which a data file does not hold; throws StudyError for another.
int frequency_option(const Arguments& args);

// Reads a data file through the engine; a file it refuses is a StudyError
// carrying the engine's message.
brenlow::CrossSection read_section(const std::string& path);

// Throws StudyError when an output names one of the inputs or another output.
void check_outputs(const std::vector<std::string>& inputs,
                   const std::vector<std::pair<std::string, std::string>>& outputs);  // (option, file)

// The --at points of a subcommand converted to metres for the file's unit;
// throws when none is given.
std::vector<float> at_points(const Arguments& args, const LengthUnit& unit);

// The most points --from, --to and --step may give.
inline constexpr long most_range_points = 10000;

// True when any of --from, --to and --step is given.
bool range_given(const Arguments& args);
// The points --from, --to and --step give (all three, the step above 0,
// --to not below --from), in the file's unit, converted to metres: at most
// most_range_points, each end within a study's reach, neighbouring points
// apart in single precision. Throws StudyError saying which.
std::vector<float> range_option(const Arguments& args, const LengthUnit& unit);

}  // namespace study
