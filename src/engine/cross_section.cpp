// The cross section read from and written as a data file, and its checks.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string_view>
#include <utility>

#include "engine/problem_records.hpp"
#include "format/file_system.hpp"
#include "format/record.hpp"
#include "input/data_file.hpp"
#include "input/records.hpp"

namespace brenlow {

std::vector<float> CrossSection::lateral_points() const {
  // As tesk31 builds them: in the units of the file, each point the previous
  // one plus the step, then converted.
  long long total = 0;
  for (const PointGroup& g : points) total += g.count > 0 ? g.count : 0;
  if (total > max_points) {
    throw Error(std::to_string(total) + " lateral points: a data file holds at most " + std::to_string(max_points));
  }
  std::vector<float> xs;
  for (const PointGroup& g : points) {
    real x = g.start;
    for (int k = 0; k < g.count; ++k) {
      xs.push_back(english ? x * metres_per_foot : x);
      x = x + g.step;
    }
  }
  return xs;
}

namespace {

std::string group_label(const CrossSection& section, std::size_t i) {
  return input::group_label(static_cast<int>(i), section.groups[i].name);
}

// Group g alone in slot 0 of the problem records, for the checks and
// warnings the data-file reader applies to each group.
Inputs one_group(const Group& g) {
  Inputs one{};
  one.acflag[0] = g.ac;
  one.xcond[0] = g.x;
  one.ycond[0] = g.y;
  one.nsub[0] = static_cast<integer>(g.subconductors < 0 ? 0 : g.subconductors);
  one.subdiam[0] = g.diameter;
  one.spacing[0] = g.spacing;
  one.volts[0] = g.kv;
  one.phangle[0] = g.phase;
  one.current[0] = g.ka;
  one.gradient[0] = g.gradient;
  return one;
}

}  // namespace

void check(const CrossSection& section) {
  const std::size_t n = section.groups.size();
  if (n > static_cast<std::size_t>(max_groups)) {
    throw Error(std::to_string(n) + " conductor groups: at most " + std::to_string(max_groups) + " are allowed");
  }
  if (section.energized < 0 || static_cast<std::size_t>(section.energized) > n) {
    throw Error(std::to_string(section.energized) + " energized groups of " + std::to_string(n) +
                ": the energized groups must be between 0 and the number of groups");
  }
  const Conditions& c = section.conditions;
  const std::pair<const char*, float> conditions[] = {
      {"wind", c.wind}, {"rain rate", c.rain}, {"altitude", c.altitude},
      {"ground conductivity", c.ground_conductivity}, {"audible noise height", c.an_height},
      {"radio height", c.ri_height}, {"television height", c.tv_height}, {"ozone height", c.oz_height},
      {"electric field height", c.ef_height}, {"magnetic field height", c.mf_height},
      {"radio frequency", c.ri_frequency}, {"television frequency", c.tv_frequency}};
  for (const auto& [what, value] : conditions) {
    if (!std::isfinite(value)) {
      throw Error(std::string("conditions: ") + what + " must be a finite number, not " + input::short_number(value));
    }
  }
  for (std::size_t i = 0; i < n; ++i) {
    const Group& g = section.groups[i];
    const std::string failure =
        g.subconductors > std::numeric_limits<integer>::max()
            ? "number of subconductors must be at most " + std::to_string(std::numeric_limits<integer>::max())
            : input::group_check_failure(one_group(g), 0);
    if (!failure.empty()) throw Error(group_label(section, i) + ": " + failure);
  }
}

bool is_hybrid(const CrossSection& section) {
  Inputs kinds{};
  const std::size_t energized = std::min(section.groups.size(), static_cast<std::size_t>(std::max(section.energized, 0)));
  kinds.nphases = static_cast<integer>(std::min(energized, static_cast<std::size_t>(max_groups)));
  for (std::size_t i = 0; i < static_cast<std::size_t>(kinds.nphases); ++i) kinds.acflag[i] = section.groups[i].ac;
  return hybrid_line(kinds);
}

namespace {

std::vector<std::string> group_labels(const CrossSection& section) {
  std::vector<std::string> labels;
  for (std::size_t i = 0; i < section.groups.size(); ++i) labels.push_back(group_label(section, i));
  return labels;
}

}  // namespace

std::vector<std::string> warnings(const CrossSection& section) {
  // More groups than a data file holds: refused by the checks, nothing to warn of.
  if (section.groups.size() > static_cast<std::size_t>(max_groups)) return {};
  const std::vector<std::string> labels = group_labels(section);
  std::vector<std::string> said = input::group_warnings(records::inputs_of(section), labels);
  // A DC pole is static: the engine takes no angle of it.
  const std::size_t energized = std::min(section.groups.size(), static_cast<std::size_t>(std::max(section.energized, 0)));
  for (std::size_t i = 0; i < energized; ++i) {
    const Group& g = section.groups[i];
    if (!g.ac && g.phase != 0)
      said.push_back(labels[i] + ": phase angle " + input::short_number(g.phase) +
                     " degrees of a DC pole has no effect: a DC pole is static, its polarity the sign of its voltage");
  }
  return said;
}

std::vector<std::string> warnings(const Evaluation& run) {
  Inputs in = records::inputs_of(run.section());
  for (std::size_t i = 0; i < run.groups().size(); ++i) in.gradient[i] = run.groups()[i].gradient;
  return records::warnings_with_gradients(run.section(), in);
}

std::vector<std::string> records::warnings_with_gradients(const CrossSection& section, const Inputs& in) {
  std::vector<std::string> said = warnings(section);
  for (std::string& text : input::gradient_warnings(in, group_labels(section))) said.push_back(std::move(text));
  return said;
}

namespace records {

CrossSection section_of(const Problem& problem) {
  const Inputs& in = problem.inputs;
  const RunData& run = problem.run;
  CrossSection s;
  s.titles = {std::string(run.title[0].trimmed()), std::string(run.title[1].trimmed())};
  s.energized = in.nphases;
  s.english = run.units == 1;
  s.options = std::string(run.prtopts.trimmed());
  Conditions& c = s.conditions;
  c.wind = in.wind;
  c.rain = in.rainrate;
  c.altitude = in.altitude;
  c.ground_conductivity = in.gndcond;
  c.an_height = run.anheight;
  c.ri_height = run.riheight;
  c.tv_height = run.tvheight;
  c.oz_height = run.ozheight;
  c.ef_height = run.efheight;
  c.mf_height = run.mfheight;
  c.ri_frequency = run.rifreq;
  c.tv_frequency = run.tvfreq;
  c.given_gradients = in.gradinput;
  for (int i = 0; i < listed_groups(run); ++i) {
    Group g;
    g.name = std::string(run.condname[i].trimmed());
    g.ac = in.acflag[i];
    g.x = in.xcond[i];
    g.y = in.ycond[i];
    g.subconductors = in.nsub[i];
    g.diameter = in.subdiam[i];
    g.spacing = in.spacing[i];
    g.kv = in.volts[i];
    g.phase = in.phangle[i];
    g.ka = in.current[i];
    g.gradient = in.gradient[i];
    s.groups.push_back(std::move(g));
  }
  return s;
}

Inputs inputs_of(const CrossSection& s) {
  Inputs in{};
  const Conditions& c = s.conditions;
  in.wind = c.wind;
  in.rainrate = c.rain;
  in.altitude = c.altitude;
  in.gndcond = c.ground_conductivity;
  in.gradinput = c.given_gradients;
  in.nphases = static_cast<integer>(s.energized);
  in.nearth = static_cast<integer>(s.groups.size() - static_cast<std::size_t>(s.energized));
  for (std::size_t i = 0; i < s.groups.size(); ++i) {
    const Group& g = s.groups[i];
    in.acflag[i] = g.ac;
    in.xcond[i] = g.x;
    in.ycond[i] = g.y;
    in.nsub[i] = static_cast<integer>(g.subconductors);
    in.subdiam[i] = g.diameter;
    in.spacing[i] = g.spacing;
    in.volts[i] = g.kv;
    in.phangle[i] = g.phase;
    in.current[i] = g.ka;
    in.gradient[i] = g.gradient;
  }
  return in;
}

}  // namespace records

namespace {

// tesk31 lists every record as it is read; the engine keeps only the
// lateral point groups, as the file lists them.
class PointSteps : public input::DataFileSteps {
 public:
  explicit PointSteps(std::vector<PointGroup>& groups) : groups_(groups) {}
  void point_record_read(Problem& problem) override {
    const RunData& run = problem.run;
    if (run.segpoints > 0) groups_.push_back({run.segpoints, run.xstart, run.xinc});
  }

 private:
  std::vector<PointGroup>& groups_;
};

std::string refusal_with_console_line(const Problem& p, input::InputOutcome outcome) {
  const char* console_line = outcome == input::InputOutcome::too_many_points ? "ERROR-TOO MANY DISTANCE POINTS"
                                                                             : "ERROR-INVALID DATA IN INPUT FILE";
  return std::string(console_line) + ": " + input::refusal(p, outcome);
}

CrossSection read_from(record::Reader& reader, const std::string& name) {
  Problem problem;
  set_initial_values(problem);
  std::vector<PointGroup> points;
  PointSteps steps(points);
  input::InputOutcome outcome;
  try {
    outcome = input::read_data_file(problem, reader, steps);
  } catch (const record::ReadError& e) {
    throw Error(e.where() + (e.context().empty() ? "" : " (reading " + e.context() + ")") + ": " + e.what());
  }
  if (outcome != input::InputOutcome::complete) throw Error(name + ": " + refusal_with_console_line(problem, outcome));
  if (problem.run.units != 0 && problem.run.units != 1) {
    throw Error(name + ": the general data (record 3) give unit option " + std::to_string(problem.run.units) +
                ": 0 (metric) or 1 (English units) only");
  }
  convert_to_metric(problem.inputs, problem.run);
  CrossSection section = records::section_of(problem);
  section.points = std::move(points);
  return section;
}

// The records one writer of the record layer writes. A value too wide for
// its field prints as asterisks, which no reader takes back: refused.
// The search starts at `numbers_from`: past a leading quoted name, or past
// the end for a record of text only.
template <class Write>
std::string records_of(Write write, const std::string& what, std::size_t numbers_from = 0) {
  std::string text;
  record::Writer out = record::Writer::to_string(&text);
  write(out);
  out.close();
  const std::size_t from = std::min(numbers_from, text.size());
  const auto record = [&text] {
    std::string quoted(1, '"');
    quoted.append(text, 0, text.size() - 2);
    quoted.push_back('"');
    return quoted;
  };
  if (text.find('*', from) != std::string::npos) {
    throw Error(what + " does not fit its field of the data file: " + record());
  }
  // The writer spells a NaN or an infinity out (NaN, -Inf, Infinity); no
  // reader takes those back as numbers.
  for (const char* word : {"NaN", "Inf"}) {
    std::size_t at = text.find(word, from);
    if (at == std::string::npos) continue;
    if (at > 0 && text[at - 1] == '-') --at;
    const std::string value = text.substr(at, text.find_first_of(", \r\n", at) - at);
    throw Error(what + " is not a finite number (" + value + "), which a data file cannot hold: " + record());
  }
  return text;
}

// A record holds no line end: a text with one would split its record.
void refuse_line_ends(std::string_view text, const std::string& what) {
  if (text.find_first_of("\r\n") != std::string_view::npos) {
    throw Error(what + " cannot hold a line end in a data file");
  }
}

// A record of text only: a title or the report options.
std::string text_record(std::string_view spec, std::string_view text, const std::string& what) {
  refuse_line_ends(text, what);
  return records_of([&](record::Writer& out) { out.write(spec, {text}); }, what, std::string::npos);
}

// The system would cut a file name at a NUL byte and open another file.
void refuse_nul_bytes(const std::string& path) {
  if (path.find('\0') == std::string::npos) return;
  std::string shown;
  for (const char c : path) shown += c == '\0' ? std::string("\\0") : std::string(1, c);
  throw Error("file " + shown + ": a file name cannot hold a NUL byte");
}

}  // namespace

CrossSection read_data_file(const std::string& path) {
  refuse_nul_bytes(path);
  record::Reader reader = [&] {
    try {
      return record::Reader::file(path);
    } catch (const record::FileError& e) {
      throw Error(e.what());
    }
  }();
  return read_from(reader, "file " + path);
}

CrossSection parse_data_file(const std::string& text, const std::string& name) {
  record::Reader reader = record::Reader::from_string(text, name);
  return read_from(reader, "file " + name);
}

std::string data_file_text(const CrossSection& section) {
  check(section);
  std::size_t npoints = 0;
  for (const PointGroup& g : section.points) {
    if (g.count <= 0) throw Error("a lateral point group needs at least one point");
    npoints += static_cast<std::size_t>(g.count);
  }
  if (npoints > static_cast<std::size_t>(max_points)) {
    throw Error(std::to_string(npoints) + " lateral points: a data file holds at most " + std::to_string(max_points));
  }
  const bool english = section.english;
  const Conditions& c = section.conditions;
  const auto length = [english](real metres) { return english ? metres / metres_per_foot : metres; };

  std::string text;
  for (const std::string& title : section.titles) {
    text += text_record("(A72)", FixedString<72>(title).view(), "a title");
  }
  Problem p;
  set_initial_values(p);
  p.run.units = english ? 1 : 0;
  p.run.gradopt = c.given_gradients ? 1 : 0;
  p.inputs.nphases = static_cast<integer>(section.energized);
  p.run.ncond = static_cast<integer>(section.groups.size());
  p.inputs.wind = english ? c.wind / mps_per_mph : c.wind;
  p.inputs.rainrate = english ? c.rain / mmhr_per_inhr : c.rain;
  p.inputs.altitude = length(c.altitude);
  text += records_of([&](record::Writer& out) { input::write_general_record(p, out); },
                     "the wind, rain rate or altitude");
  text += text_record("(A45)", FixedString<45>(section.options).view(), "the report options");

  p.run.anheight = length(c.an_height);
  p.run.riheight = length(c.ri_height);
  p.run.tvheight = length(c.tv_height);
  p.run.ozheight = length(c.oz_height);
  p.run.rifreq = c.ri_frequency;
  p.run.tvfreq = c.tv_frequency;
  p.run.mfheight = length(c.mf_height);
  p.inputs.gndcond = c.ground_conductivity;
  p.run.efheight = length(c.ef_height);
  text += records_of([&](record::Writer& out) { input::list_heights(p, out); },
                     "a height, frequency or the ground conductivity");

  for (std::size_t i = 0; i < section.groups.size(); ++i) {
    const Group& g = section.groups[i];
    const std::string label = "group " + std::to_string(i + 1) + " " + g.name;
    if (g.name.find('\'') != std::string::npos) throw Error(label + ": a name in a data file cannot hold an apostrophe");
    refuse_line_ends(g.name, label + ": the name");
    p.run.condname[0] = g.name;
    p.inputs.xcond[0] = length(g.x);
    p.inputs.ycond[0] = length(g.y);
    p.inputs.nsub[0] = static_cast<integer>(g.subconductors);
    p.inputs.subdiam[0] = english ? g.diameter / mm_per_inch : g.diameter;
    p.inputs.spacing[0] = english ? g.spacing / cm_per_inch : g.spacing;
    p.inputs.volts[0] = g.kv;
    p.inputs.phangle[0] = g.phase;
    p.inputs.current[0] = g.ka;
    p.inputs.gradient[0] = g.gradient;
    // The name stands between the first two apostrophes; every other field is a number.
    const FixedString<1> letter(g.ac ? "A" : "D");
    text += records_of([&](record::Writer& out) { input::write_group_record(p, 0, letter, out); },
                       label + ": a value", 11);
  }

  // Each point group, then the closing record of a count of 0.
  std::vector<PointGroup> groups = section.points;
  groups.push_back({});
  for (const PointGroup& g : groups) {
    p.run.segpoints = static_cast<integer>(g.count);
    p.run.xstart = g.start;
    p.run.xinc = g.step;
    text += records_of([&](record::Writer& out) { input::list_point_record(p.run, out); },
                       "a lateral point group's start or step");
  }
  return text;
}

void write_data_file(const CrossSection& section, const std::string& path) {
  refuse_nul_bytes(path);
  const std::string text = data_file_text(section);
  std::ofstream file;
  try {
    file = record::output_stream(path);
  } catch (const record::FileError& e) {
    throw Error("file " + std::string(e.what()));
  }
  if (!file) throw Error("file " + path + ": cannot be created");
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  file.close();
  if (!file) throw Error("file " + path + ": cannot be written");
}

}  // namespace brenlow
