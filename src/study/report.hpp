#pragma once
// The study report: one self-contained HTML page about one cross section
// and its right-of-way, for handing in. The line's data and drawing, the
// conductor surface gradients, the profiles across the right-of-way with
// its edges (and the limits), the values at the edges, the compliance with
// a set of limits, and what the numbers assume. Every number is the
// engine's, computed as the other subcommands compute it.

#include <optional>
#include <string>
#include <vector>

#include "engine/engine.hpp"
#include "limits/comply.hpp"
#include "study/pictures.hpp"
#include "study/quantity.hpp"
#include "study/table.hpp"

namespace study {

struct ReportRequest {
  std::string file;                 // the data file as named (UTF-8)
  brenlow::CrossSection section;
  BUnit b = BUnit::microtesla;
  float left = 0, right = 0;        // the edges of the right-of-way, metres
  int frequency = 60;               // Hz, of the AC phases
  std::vector<float> xs;            // the profiles' points, metres
  std::string version;              // of the program
  std::string date;                 // of the run, as shown
  // The line judged against a limit set at these edges, frequency and
  // unit of B, when one was given.
  std::optional<limits::Compliance> compliance;
};

// The tables of the report, each as the terminal would show it.
// The line's groups in the file's units.
Table line_table(const brenlow::CrossSection& section);
// Each group's surface gradient (and corona loss of the phases and poles).
Table gradient_table(const brenlow::Evaluation& run);
// Every quantity the edge table of `edges` lists, a row each, a column per edge.
Table edge_table(const brenlow::Evaluation& run, const std::vector<float>& edges, BUnit b);

// The quantities the profiles show: E, B, AN and RI (the fields' parts on a
// hybrid line), and E-TOTAL for a line with DC poles.
std::vector<Quantity> profile_quantities(const brenlow::CrossSection& section);

// The profiles' points when none are given: from beyond the left edge (or
// the leftmost conductor) to as far beyond the right, half the
// right-of-way's width (at least 10 m or 30 ft) beyond, 201 points; metres.
std::vector<float> default_profile_points(const brenlow::CrossSection& section, float left, float right);

// The compliance table: a row per limit of the set, as comply judges it;
// the x of each deciding value in the file's unit. The voltage class that
// applied, why a limit does not apply and its source stand as numbers of
// `notes`, which the table adds to (each text once).
Table compliance_table(const limits::Compliance& c, const LengthUnit& unit, std::vector<std::string>& notes);

// The limits a profile panel of quantity q shows: those of the rows that
// apply and were judged on q, at the edges (a mark at each), within the
// right-of-way or anywhere; positions in the file's unit.
std::vector<ProfilesPicture::Limit> profile_limits(const limits::Compliance& c, Quantity q, const LengthUnit& unit);

std::string report_html(const ReportRequest& request);

}  // namespace study
