#pragma once
// Small operations on a cross section that every study needs.

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/engine.hpp"
#include "study/quantity.hpp"
#include "study/table.hpp"

namespace study {

// A request the study cannot carry out: bad arguments, a bad circuit, a
// file that cannot be read or written. The message says what and where.
class StudyError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The section as a data file written by the study holds it, read back: the
// values tesk31 will print for that file are this section's.
brenlow::CrossSection as_written(const brenlow::CrossSection& section);

// Values of the quantities at the points (metres), from the combined-report
// line of each point: values[q][p].
std::vector<std::vector<float>> values_at(const brenlow::Evaluation& run, const std::vector<Quantity>& quantities,
                                          const std::vector<float>& xs, BUnit b);

// Throws StudyError naming the file when a quantity asks for one field of a
// hybrid line (E, E-RES, B, B-RES), which has two apart: the message names
// the parts to ask for.
void check_quantities(const std::string& file, const brenlow::CrossSection& section,
                      const std::vector<Quantity>& quantities);

// The largest value over the points; not-a-number counts as the worst.
float worst(const std::vector<float>& values);

// The largest surface gradient (in magnitude) of the energized groups, or
// of all groups when none is energized, kV/cm.
float largest_gradient(const brenlow::Evaluation& run);

// True when the section has no wind: ozone is then not computed downwind
// of a bundle (the engine gives not-a-number there).
bool without_wind(const brenlow::CrossSection& section);

// Writes to `err`, before the study's table, what the section read from
// `file` holds that is legal but probably not meant (brenlow::warnings of
// its evaluation, the gradients' included),
// and the no-wind note when `ozone_shown` and the section has no wind; one
// line each, naming the file.
void show_warnings(std::ostream& err, const std::string& file, const brenlow::CrossSection& section,
                   bool ozone_shown);

// What the pictures say inside each quantity's panel: the no-wind note on
// the ozone panel when a section has no wind; one entry per quantity.
std::vector<std::string> panel_notes(const std::vector<Quantity>& quantities,
                                     const std::vector<brenlow::CrossSection>& sections);

// The table cell of a value of quantity q: "no wind" (an empty CSV field)
// for an ozone value not computed for want of wind, "n/a" (empty in CSV)
// for a noise or TV level not computed (the -999.9 marker, no level at all),
// "n/a" for one field of a hybrid line (in a table of several files), else
// the number.
Cell value_cell(float v, Quantity q, BUnit b, const brenlow::CrossSection& section);

// The farthest a study evaluates from the line's centre, either side and
// up: the engine's farthest distance, 1,000 km.
inline constexpr float largest_distance_metres = brenlow::farthest_distance;

// Throws StudyError unless `value`, a distance in `unit`, is a number
// within largest_distance_metres; `what` names where it was given.
void check_distance(const std::string& what, double value, const LengthUnit& unit);

// Points from `from` to `to` (the last at `to` or just short of it), `step`
// apart, for a step above 0 and `to` not below `from` (the caller bounds
// their number).
std::vector<float> evenly_spaced(float from, float to, float step);
// The same (the caller bounds their number); throws StudyError naming `what`
// when an end is not within largest_distance_metres or when the step is too
// fine for single precision to tell neighbouring points apart.
std::vector<float> range_points(const std::string& what, float from, float to, float step, const LengthUnit& unit);

// Writes the whole text to `path`; throws StudyError naming the file.
void write_text_file(const std::string& path, const std::string& text);

// A fresh name beside `path` for a file that will take its place
// ("DIR/report.html" -> "DIR/report.html.part-NNNN"), none of that name there yet.
std::string temporary_sibling(const std::string& path);
// Moves the file `from` to `path`, replacing what is there (both in one
// folder); throws StudyError naming `path`.
void replace_file(const std::string& from, const std::string& path);
// The whole text into a temporary file beside `path`, then renamed to it:
// a failure leaves `path` as it was and no half-written file. Throws
// StudyError naming the file.
void write_text_file_whole(const std::string& path, const std::string& text);

}  // namespace study
