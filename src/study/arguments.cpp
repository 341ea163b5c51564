#include "study/arguments.hpp"

#include <charconv>
#include <cmath>

#include "cli/files.hpp"
#include "cli/numbers.hpp"
#include "cli/options.hpp"
#include "format/file_system.hpp"
#include "study/section_tools.hpp"

namespace study {

Arguments Arguments::parse(const std::vector<std::string>& args, const std::set<std::string>& valued,
                           const std::set<std::string>& flags) {
  Arguments out;
  try {
    for (cli::Item& item : cli::scan(args, valued, flags)) {
      if (item.file)
        out.files.push_back(std::move(item.name));
      else
        out.values[item.name].push_back(std::move(item.value));
    }
  } catch (const cli::UsageError& e) {
    throw StudyError(e.what());
  }
  return out;
}

const std::vector<std::string>& Arguments::all(const std::string& option) const {
  static const std::vector<std::string> none;
  auto it = values.find(option);
  return it == values.end() ? none : it->second;
}

std::optional<std::string> Arguments::one(const std::string& option) const {
  const auto& v = all(option);
  if (v.empty()) return std::nullopt;
  if (v.size() > 1) throw StudyError(option + " given more than once");
  return v.front();
}

float parse_number(const std::string& option, const std::string& text) {
  const std::optional<double> v = cli::parse_real(text);
  if (!v || std::fabs(*v) > 3.0e38) throw StudyError(option + " needs a number, not \"" + text + "\"");
  return static_cast<float>(*v);
}

long parse_count(const std::string& option, const std::string& text, long low, long high) {
  long v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || v < low || v > high)
    throw StudyError(option + " needs a whole number from " + std::to_string(low) + " to " + std::to_string(high) +
                     ", not \"" + text + "\"");
  return v;
}

std::vector<std::string> split_commas(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    out.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) return out;
    start = comma + 1;
  }
}

std::vector<int> parse_groups(const std::string& option, const std::string& text) {
  std::vector<int> out;
  for (const std::string& item : split_commas(text)) {
    const std::size_t dash = item.find('-', 1);
    if (dash != std::string::npos) {
      const long from = parse_count(option, item.substr(0, dash), 1, 50);
      const long to = parse_count(option, item.substr(dash + 1), 1, 50);
      if (to < from) throw StudyError(option + ": the range \"" + item + "\" runs backwards");
      for (long g = from; g <= to; ++g) out.push_back(static_cast<int>(g - 1));
    } else {
      out.push_back(static_cast<int>(parse_count(option, item, 1, 50) - 1));
    }
  }
  return out;
}

int frequency_option(const Arguments& args) {
  const std::optional<std::string> f = args.one("--frequency");
  if (!f) return 60;
  if (*f != "50" && *f != "60") throw StudyError("--frequency needs 50 or 60 (Hz), not \"" + *f + "\"");
  return *f == "50" ? 50 : 60;
}

std::optional<BUnit> b_unit_given(const Arguments& args) {
  const std::optional<std::string> text = args.one("--b-unit");
  if (!text) return std::nullopt;
  const std::optional<BUnit> b = cli::parse_b_unit(*text);
  if (!b) throw StudyError("--b-unit needs uT, mG or G, not \"" + *text + "\"");
  return *b;
}

brenlow::CrossSection read_section(const std::string& path) {
  try {
    return brenlow::read_data_file(path);
  } catch (const brenlow::Error& e) {
    throw StudyError(e.what());
  }
}

// An output is compared with the inputs and the outputs before it: the same
// file by identity when both exist, otherwise the same resolved path.
void check_outputs(const std::vector<std::string>& inputs,
                   const std::vector<std::pair<std::string, std::string>>& outputs) {
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const auto& [option, file] = outputs[i];
    if (file.empty()) throw StudyError(option + " needs a file name");
    record::refuse_device_name(file);
    for (const std::string& input : inputs)
      if (cli::same_file(file, input))
        throw StudyError(option + " " + file + " is the input data file " + input + ": it will not be overwritten");
    for (std::size_t j = 0; j < i; ++j)
      if (cli::same_file(file, outputs[j].second))
        throw StudyError(option + " and " + outputs[j].first + " both name " + file);
  }
}

std::vector<float> at_points(const Arguments& args, const LengthUnit& unit) {
  std::vector<float> out;
  for (const std::string& text : args.all("--at")) {
    const float x = parse_number("--at", text);
    check_distance("--at " + text, x, unit);
    out.push_back(unit.to_metres(x));
  }
  if (out.empty()) throw StudyError("no point given (--at X, in the data file's unit)");
  return out;
}

bool range_given(const Arguments& args) { return args.has("--from") || args.has("--to") || args.has("--step"); }

std::vector<float> range_option(const Arguments& args, const LengthUnit& unit) {
  if (!args.has("--from") || !args.has("--to") || !args.has("--step"))
    throw StudyError("--from, --to and --step go together");
  const float from = parse_number("--from", *args.one("--from"));
  const float to = parse_number("--to", *args.one("--to"));
  const float step = parse_number("--step", *args.one("--step"));
  if (!(step > 0)) throw StudyError("--step must be above 0");
  if (to < from) throw StudyError("--to must not be below --from");
  check_distance("--from", from, unit);
  check_distance("--to", to, unit);
  if ((to - from) / step > most_range_points)
    throw StudyError("more than " + std::to_string(most_range_points) + " points from --from to --to");
  std::vector<float> xs;
  for (float x : range_points("--from, --to, --step", from, to, step, unit)) xs.push_back(unit.to_metres(x));
  return xs;
}

}  // namespace study
