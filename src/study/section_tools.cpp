#include "study/section_tools.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <cstdlib>
#include <iomanip>
#include <limits>
#include <random>
#include <sstream>
#include <system_error>

#include "cli/numbers.hpp"
#include "format/file_system.hpp"

namespace study {

brenlow::CrossSection as_written(const brenlow::CrossSection& section) {
  return brenlow::parse_data_file(brenlow::data_file_text(section), "written data file");
}

std::vector<std::vector<float>> values_at(const brenlow::Evaluation& run, const std::vector<Quantity>& quantities,
                                          const std::vector<float>& xs, BUnit b) {
  std::vector<std::vector<float>> out(quantities.size(), std::vector<float>(xs.size()));
  for (std::size_t p = 0; p < xs.size(); ++p) {
    const brenlow::Point point = run.point(xs[p]);
    for (std::size_t q = 0; q < quantities.size(); ++q) out[q][p] = value(run, point, quantities[q], b);
  }
  return out;
}

namespace {

// The shortest text that reads back to the value: as a float when it is
// one (as every number of the command line is), else as a double.
std::string number_text(double v) {
  if (std::isfinite(v) && static_cast<double>(static_cast<float>(v)) == v)
    return cli::round_trip_text(static_cast<float>(v));
  std::ostringstream text;
  for (int digits = 1; digits <= 17; ++digits) {
    text.str("");
    text << std::setprecision(digits) << v;
    if (!std::isfinite(v) || std::strtod(text.str().c_str(), nullptr) == v) break;
  }
  return text.str();
}

}  // namespace

void check_distance(const std::string& what, double value, const LengthUnit& unit) {
  const std::string u(unit.label());
  if (!std::isfinite(value)) throw StudyError(what + ": " + number_text(value) + " is not a distance");
  const double limit = unit.feet ? largest_distance_metres / 0.3048 : largest_distance_metres;
  if (std::fabs(value) > limit)
    throw StudyError(what + ": " + number_text(value) + " " + u + " is farther than the " + fixed(limit, 0) + " " + u +
                     " (1000 km) a study reaches from the line");
}

std::vector<float> evenly_spaced(float from, float to, float step) {
  std::vector<float> out;
  const long n = static_cast<long>(std::floor((to - from) / step + 1e-4f));
  for (long i = 0; i <= n; ++i) out.push_back(from + static_cast<float>(i) * step);
  return out;
}

std::vector<float> range_points(const std::string& what, float from, float to, float step, const LengthUnit& unit) {
  check_distance(what, from, unit);
  check_distance(what, to, unit);
  if (!(step > 0) || !(to >= from)) throw StudyError(what + ": no points from " + number_text(from) + " to " +
                                                     number_text(to) + " every " + number_text(step));
  const std::vector<float> out = evenly_spaced(from, to, step);
  for (std::size_t i = 1; i < out.size(); ++i)
    if (!(out[i] > out[i - 1]))
      throw StudyError(what + ": a step of " + number_text(step) + " " + std::string(unit.label()) +
                       " is too fine for single precision near " + number_text(out[i]));
  return out;
}

float worst(const std::vector<float>& values) {
  float w = -std::numeric_limits<float>::infinity();
  for (float v : values) {
    if (std::isnan(v)) return std::numeric_limits<float>::infinity();
    if (v > w) w = v;
  }
  return w;
}

float largest_gradient(const brenlow::Evaluation& run) {
  const auto& groups = run.groups();
  const std::size_t n = run.section().energized > 0 ? static_cast<std::size_t>(run.section().energized) : groups.size();
  float g = 0;
  for (std::size_t i = 0; i < n && i < groups.size(); ++i) g = std::max(g, std::fabs(groups[i].gradient));
  return g;
}

void check_quantities(const std::string& file, const brenlow::CrossSection& section,
                      const std::vector<Quantity>& quantities) {
  if (!brenlow::is_hybrid(section)) return;
  for (Quantity q : quantities) {
    if (!one_field(q)) continue;
    const bool e = electric(q);
    const bool res = q == Quantity::e_res || q == Quantity::b_res;
    const std::string ac = e ? (res ? "E-AC-RES" : "E-AC") : (res ? "B-AC-RES" : "B-AC");
    throw StudyError(file + ": " + std::string(name(q)) +
                     " on a hybrid line (AC phases and DC poles): its alternating and static fields do not add "
                     "as phasors; ask for " + ac + " and " + (e ? "E-DC" : "B-DC") + " apart");
  }
}

bool without_wind(const brenlow::CrossSection& section) { return section.conditions.wind == 0; }

void show_warnings(std::ostream& err, const std::string& file, const brenlow::CrossSection& section,
                   bool ozone_shown) {
  // The gradients too: the section evaluated once more, as given.
  for (const std::string& warning : brenlow::warnings(brenlow::Evaluation(section)))
    err << "warning: " << file << ": " << warning << '\n';
  if (ozone_shown && without_wind(section)) err << "note: " << file << ": " << brenlow::no_wind_note << '\n';
  err.flush();
}

std::vector<std::string> panel_notes(const std::vector<Quantity>& quantities,
                                     const std::vector<brenlow::CrossSection>& sections) {
  const bool windless = std::any_of(sections.begin(), sections.end(), without_wind);
  std::vector<std::string> notes;
  for (Quantity q : quantities) notes.push_back(q == Quantity::oz && windless ? brenlow::no_wind_note : "");
  return notes;
}

Cell value_cell(float v, Quantity q, BUnit b, const brenlow::CrossSection& section) {
  if (q == Quantity::oz && std::isnan(v) && without_wind(section)) return {"no wind", ""};
  // A level not computed: the -999.9 marker of TV from DC bundles only or of
  // a pole without corona, or no noise at all (-inf).
  if (is_level(q) && std::isnan(shown_value(q, v))) return {"n/a", ""};
  if (one_field(q) && std::isnan(v) && brenlow::is_hybrid(section)) return {"n/a", ""};
  return Table::number(v, decimals(q, b));
}

void write_text_file(const std::string& path, const std::string& text) {
  std::ofstream out = record::output_stream(path);
  if (out) {
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
  }
  if (!out) throw StudyError(path + ": cannot write (" + (errno ? std::strerror(errno) : "write failed") + ")");
}

std::string temporary_sibling(const std::string& path) {
  std::random_device random;
  for (;;) {
    const std::string name = path + ".part-" + std::to_string(random() % 1000000u);
    std::error_code ec;
    if (!std::filesystem::exists(record::file_path(name), ec) && !ec) return name;
  }
}

void replace_file(const std::string& from, const std::string& path) {
  std::error_code ec;
  std::filesystem::rename(record::file_path(from), record::file_path(path), ec);
  if (ec) {
    std::error_code ignored;
    std::filesystem::remove(record::file_path(from), ignored);
    throw StudyError(path + ": cannot write (" + ec.message() + ")");
  }
}

void write_text_file_whole(const std::string& path, const std::string& text) {
  record::refuse_device_name(path);
  const std::string part = temporary_sibling(path);
  try {
    write_text_file(part, text);
  } catch (const StudyError&) {
    const int error = errno;
    std::error_code ignored;
    std::filesystem::remove(record::file_path(part), ignored);
    throw StudyError(path + ": cannot write (" + (error ? std::strerror(error) : "write failed") + ")");
  }
  replace_file(part, path);
}

}  // namespace study
