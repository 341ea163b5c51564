#pragma once
// Whether a cross section meets a limit set: for each limit the value that
// decides it (the larger of the two edges' values; the largest within the
// right-of-way, or anywhere, found on a fine grid and refined), the margin
// and the verdict, or why the limit does not apply to the line.
//
//   limits::Edges edges{-30.0f, 30.0f};                         // metres
//   limits::Compliance c = limits::comply(line, limits::limit_set("florida"), edges, {});
//   for (const limits::Row& row : c.rows) ...                   // one per limit

#include <functional>
#include <string>
#include <vector>

#include "engine/engine.hpp"
#include "limits/limit_set.hpp"

namespace limits {

// The right-of-way's edges, lateral positions in metres from the line's
// reference, left below right.
struct Edges {
  float left = 0;
  float right = 0;
};

struct ComplyOptions {
  int frequency = 60;                // of the AC phases, Hz: 50 or 60
  BUnit b = BUnit::microtesla;       // the unit B is shown in
  // Within the right-of-way (and anywhere): points of the first scan, to
  // which the groups' lateral positions are added; every local maximum of
  // the scan is then refined (see largest).
  int grid_points = 201;
};

enum class Verdict { pass, fail, not_applicable };
std::string_view verdict_name(Verdict v);  // "PASS", "FAIL", "N/A"

// One limit of the set, judged on the line.
struct Row {
  Limit limit;              // as the set gives it
  Quantity evaluated;       // what was computed: the limit's quantity, or the part of a
                            // hybrid line's field the limit's frequency calls for (E-AC, B-DC, ...)
  double limit_value = 0;   // in the shown unit
  std::string unit;         // the shown unit: kV/m, uT/mG/G per ComplyOptions::b, dB(A), ...
  Verdict verdict = Verdict::not_applicable;
  std::string reason;       // why not applicable; empty otherwise
  std::string voltage_class;  // the class that applied (its name); empty for a limit of every line
  double value = 0;         // the deciding value, in the shown unit (not-a-number when not applicable)
  float x = 0;              // where it stands, metres
  std::string at;           // "left edge", "right edge", "within", "beyond the left edge", ...
  // value / limit; for a level in decibels (AN, RI, TV), whose ratio means
  // nothing, value - limit in dB (margin_db). Not-a-number when not applicable.
  double margin = 0;
  bool margin_db = false;
};

struct Compliance {
  std::string set_name;
  std::string set_title;
  double line_kv = 0;       // the line's voltage that picks a voltage class
  bool line_ac = false;     // the line has AC phases at a voltage
  bool line_dc = false;     // the line has DC poles at a voltage
  int frequency = 60;       // Hz, of the AC phases
  Edges edges;
  BUnit b = BUnit::microtesla;
  std::vector<Row> rows;    // one per limit of the set, in its order

  bool any_fails() const;      // a limit that applies does not hold
  bool any_applies() const;    // at least one limit applies
};

// The line's voltage that picks a voltage class: the largest of its
// energized groups', line to line for an AC phase (sqrt(3) times the line-to-
// ground voltage), the pole's to ground for a DC pole, kV.
double line_voltage(const brenlow::CrossSection& section);

// Whether a limit applies to the line at the frequency of its AC phases
// (Hz), and what it is judged on: the quantity it names or, on a hybrid
// line, the part of the field its frequency calls for (E-AC at 50 or 60 Hz,
// E-DC for DC; both parts, the larger deciding, for any frequency); E-RES of
// a DC line's static field is its magnitude, E. Empty `quantities` and the
// reason when it does not apply: a voltage class the line is not in, a
// frequency other than the line's, a field the line has not (a DC line's
// against an AC limit), a level the data file gives no frequency for (RI at
// 0 MHz), the ion flow of a line without DC poles, ozone without wind.
struct Applicability {
  std::vector<Quantity> quantities;
  std::string reason;
  std::string voltage_class;  // the class that applied; empty for a limit of every line
};
Applicability applicability(const Limit& limit, const brenlow::CrossSection& section, int frequency);

// Judges every limit of the set on the section. Throws brenlow::Error for a
// section the engine refuses, LimitError for edges not in order or beyond
// the engine's reach, or a frequency other than 50 or 60.
Compliance comply(const brenlow::CrossSection& section, const LimitSet& set, const Edges& edges,
                  const ComplyOptions& options);
// The same on an evaluation at hand (its gradients are not computed again).
Compliance comply(const brenlow::Evaluation& run, const LimitSet& set, const Edges& edges,
                  const ComplyOptions& options);

// The largest value of f over [from, to]: a scan of `points` evenly spaced
// points and the `extra` points within the range, then a golden-section
// search between the neighbours of every scanned local maximum (the 64
// largest), down to a millionth of the range or single precision's
// resolution, whichever is coarser: for a maximum the scan brackets, its
// value to far better than 0.1 %. The value is not-a-number, at the first
// such point, where f gives one anywhere scanned.
struct Maximum {
  float x = 0;
  double value = 0;
};
Maximum largest(const std::function<double(float)>& f, float from, float to, int points,
                const std::vector<float>& extra = {});

// The result as JSON (one object: the line, the set, the rows), for the
// study's --json and the other front ends. Numbers not known are null.
// `file`, when given, is named first in the object.
std::string compliance_json(const Compliance& c, const LengthUnit& unit, const std::string& file = "");

}  // namespace limits
