#include "study/report.hpp"

#include <algorithm>
#include <cmath>

#include "cli/numbers.hpp"
#include "model/problem_data.hpp"
#include "study/commands.hpp"
#include "study/html.hpp"
#include "study/ion_flow_values.hpp"
#include "study/pictures.hpp"
#include "study/section_tools.hpp"

namespace study {

namespace {

// The kind of group i as the tables say it.
std::string kind_text(const brenlow::CrossSection& s, std::size_t i) {
  if (static_cast<int>(i) >= s.energized) return "earth wire";
  return s.groups[i].ac ? "AC phase" : "DC pole";
}

SectionPicture::Kind picture_kind(const brenlow::CrossSection& s, std::size_t i) {
  if (static_cast<int>(i) >= s.energized) return SectionPicture::Kind::earth_wire;
  if (s.groups[i].ac) return SectionPicture::Kind::phase;
  return s.groups[i].kv < 0 ? SectionPicture::Kind::negative_pole : SectionPicture::Kind::positive_pole;
}

std::string edge_heading(const char* side, float metres, const LengthUnit& unit) {
  return std::string(side) + " edge, x = " + fixed(unit.from_metres(metres), 1);
}

const char* const style = R"(
:root { color-scheme: light; }
body { font-family: "DejaVu Sans", Arial, sans-serif; font-size: 10.5pt; color: #111; margin: 0 auto;
       max-width: 180mm; padding: 8mm 6mm; line-height: 1.35; }
h1 { font-size: 17pt; margin: 0 0 2pt; }
h2 { font-size: 13pt; margin: 16pt 0 5pt; border-bottom: 1px solid #999; padding-bottom: 2pt;
     break-after: avoid; page-break-after: avoid; }
p.subtitle { font-size: 12pt; margin: 0 0 6pt; }
p.meta, p.note, figcaption { color: #444; font-size: 9pt; }
table { border-collapse: collapse; margin: 4pt 0 8pt; font-size: 8.5pt; }
th, td { border: 1px solid #bbb; padding: 1.5pt 4pt; text-align: right; vertical-align: top; }
th { background: #eee; font-weight: bold; }
th.text, td.text { text-align: left; white-space: nowrap; }
.unit { font-weight: normal; color: #444; }
tr { break-inside: avoid; page-break-inside: avoid; }
thead { display: table-header-group; }
figure { margin: 6pt 0 10pt; break-inside: avoid; page-break-inside: avoid; }
figure svg { width: 100%; height: auto; display: block; }
.keep { break-inside: avoid; page-break-inside: avoid; }
.pass { color: #1d6b2c; font-weight: bold; }
.fail { color: #b0261b; font-weight: bold; }
.na { color: #555; }
dl { display: grid; grid-template-columns: max-content auto; gap: 2pt 10pt; margin: 4pt 0; }
dt { font-weight: bold; }
dd { margin: 0; }
ul { margin: 4pt 0; padding-left: 16pt; }
ol.notes { margin: 2pt 0 6pt; padding-left: 20pt; font-size: 8.5pt; color: #333; }
@media print {
  body { max-width: none; padding: 0; }
  @page { margin: 15mm 14mm; }
  section { break-inside: auto; }
}
)";

std::string section_open(const char* id, const std::string& heading) {
  return std::string("<section id=\"") + id + "\">\n<h2>" + html::escape(heading) + "</h2>\n";
}

// A term and what it says, escaped.
std::string entry(const std::string& term, const std::string& text) {
  return "<dt>" + html::escape(term) + "</dt><dd>" + html::escape(text) + "</dd>\n";
}

std::string height_text(float metres, const LengthUnit& unit) {
  return fixed(unit.from_metres(metres), 2) + " " + std::string(unit.label());
}

std::string assumptions(const brenlow::Evaluation& run, const ReportRequest& r) {
  const brenlow::CrossSection& s = r.section;
  const brenlow::Conditions& c = s.conditions;
  const LengthUnit unit{s.english};
  std::string out = "<dl>\n";
  out += entry("Units", s.english ? "English: distances and heights in feet, diameters and spacings in inches, "
                                    "wind in mi/hr, rain in in/hr"
                                  : "metric: distances and heights in metres, diameters in mm, spacings in cm, "
                                    "wind in m/s, rain in mm/hr");
  out += entry("Magnetic flux density", "in " + std::string(cli::b_unit_label(r.b)) +
                                             " (1 G = 100 \u00b5T = 1000 mG)");
  bool ac = false;
  for (int i = 0; i < s.energized && i < static_cast<int>(s.groups.size()); ++i) ac = ac || s.groups[i].ac;
  out += entry("Frequency", ac ? std::to_string(r.frequency) + " Hz, of the AC phases (a data file does not hold it)"
                               : "DC: the line has no AC phases (the limits set for " + std::to_string(r.frequency) +
                                     " Hz do not apply to its static fields)");
  out += entry("Right-of-way", "edges at x = " + fixed(unit.from_metres(r.left), 1) + " and x = " +
                                   fixed(unit.from_metres(r.right), 1) + " " + std::string(unit.label()) +
                                   " from the line's reference");
  out += entry("Heights above ground", "E " + height_text(c.ef_height, unit) + ", B " + height_text(c.mf_height, unit) +
                                           ", AN " + height_text(c.an_height, unit) + ", RI " +
                                           height_text(c.ri_height, unit) + ", TV " + height_text(c.tv_height, unit) +
                                           ", ozone " + height_text(c.oz_height, unit));
  const float rain = s.english ? c.rain / mmhr_per_inhr : c.rain;
  const float wind = s.english ? c.wind / mps_per_mph : c.wind;
  out += entry("Weather", "rain " + fixed(rain, 2) + (s.english ? " in/hr" : " mm/hr") + " for the rain values; wind " +
                              fixed(wind, 2) + (s.english ? " mi/hr" : " m/s") + "; altitude " +
                              fixed(unit.from_metres(c.altitude), 1) + " " + std::string(unit.label()) +
                              " above sea level");
  out += entry("Radio and TV", "RI at " + fixed(c.ri_frequency, 3) + " MHz, TV at " + fixed(c.tv_frequency, 3) +
                                   " MHz; ground conductivity " + fixed(c.ground_conductivity, 2) + " mmhos/m");
  out += entry("Surface gradients", c.given_gradients ? "as given in the data file (the computed ones beside them)"
                                                      : "computed from the conductors' charges");
  out += "</dl>\n<ul>\n";
  std::vector<std::string> notes = {
      "E and B: the ellipse maximum of the nominal field (rms for AC) of the conductors' charges and currents, over "
      "flat ground; B without earth currents. E-RES and B-RES: the resultant a three-axis meter reads.",
      "AN and RI: the L50 levels in rain (the weather above); AN-FAIR and RI-FAIR in fair weather. A level not "
      "computed (no corona, TV of DC bundles) reads n/a."};
  if (brenlow::is_hybrid(s))
    notes.push_back("A hybrid line: the AC phases' alternating field and the DC poles' static field are given apart "
                    "(E-AC, E-DC, B-AC, B-DC); they never add as phasors.");
  if (has_dc_pole(s))
    notes.push_back("The field of the DC poles shown as E (or E-DC) is the nominal field of the conductor charges "
                    "alone, without the space charge of the ions; E-TOTAL and J are the ion flow's total field and "
                    "ion current density at the ground, with its default conditions (surface factor 0.45, the air "
                    "density of the altitude, the usual ion mobilities).");
  if (without_wind(s)) notes.push_back(std::string("Ozone: ") + brenlow::no_wind_note + ".");
  for (const std::string& w : brenlow::warnings(run)) notes.push_back("Warning: " + html::utf8_of_latin1(w));
  for (const std::string& n : notes) out += "<li>" + html::escape(n) + "</li>\n";
  return out + "</ul>\n";
}

}  // namespace

Table line_table(const brenlow::CrossSection& s) {
  const LengthUnit unit{s.english};
  const std::string u(unit.label());
  Table t({{"group", "", true},
           {"name", "", true},
           {"kind", "", true},
           {"x", u},
           {"y", u},
           {"sub-conductors", ""},
           {"diameter", s.english ? "in" : "mm"},
           {"spacing", s.english ? "in" : "cm"},
           {"voltage", "kV"},
           {"phase", "deg"},
           {"current", "kA"}});
  for (std::size_t i = 0; i < s.groups.size(); ++i) {
    const brenlow::Group& g = s.groups[i];
    t.add_row({Table::count(static_cast<long long>(i + 1)), Table::text(html::utf8_of_latin1(g.name)),
               Table::text(kind_text(s, i)), Table::number(unit.from_metres(g.x), 2),
               Table::number(unit.from_metres(g.y), 2), Table::count(g.subconductors),
               Table::number(s.english ? g.diameter / mm_per_inch : g.diameter, 3),
               Table::number(s.english ? g.spacing / cm_per_inch : g.spacing, 3), Table::number(g.kv, 3),
               Table::number(g.phase, 3), Table::number(g.ka, 3)});
  }
  return t;
}

Table gradient_table(const brenlow::Evaluation& run) {
  const brenlow::CrossSection& s = run.section();
  const bool given = s.conditions.given_gradients;
  std::vector<Column> columns = {{"group", "", true}, {"name", "", true}, {"kind", "", true},
                                 {"surface gradient", "kV/cm"}};
  if (given) columns.push_back({"computed", "kV/cm"});
  columns.push_back({"corona loss", "kW/km"});
  Table t(columns);
  for (std::size_t i = 0; i < run.groups().size() && i < s.groups.size(); ++i) {
    const brenlow::GroupResult& g = run.groups()[i];
    std::vector<Cell> row = {Table::count(static_cast<long long>(i + 1)), Table::text(html::utf8_of_latin1(s.groups[i].name)),
                             Table::text(kind_text(s, i)), Table::number(g.gradient, 2)};
    if (given) row.push_back(Table::number(g.computed_gradient, 2));
    row.push_back(static_cast<int>(i) < s.energized ? Table::number(g.corona_loss, 3) : Table::text(""));
    t.add_row(std::move(row));
  }
  return t;
}

Table edge_table(const brenlow::Evaluation& run, const std::vector<float>& edges, BUnit b) {
  const brenlow::CrossSection& s = run.section();
  const LengthUnit unit{s.english};
  const std::vector<Quantity> shown = edge_quantities({s});
  std::vector<Column> columns = {{"quantity", "", true}, {"unit", "", true}};
  for (std::size_t e = 0; e < edges.size(); ++e)
    columns.push_back({edge_heading(edges.size() == 2 ? (e == 0 ? "left" : "right") : "", edges[e], unit),
                       std::string(unit.label())});
  Table t(columns);
  std::vector<brenlow::Point> points;
  for (float x : edges) points.push_back(run.point(x));
  for (Quantity q : shown) {
    std::vector<Cell> row = {Table::text(std::string(name(q))), Table::text(std::string(unit_label(q, b)))};
    for (const brenlow::Point& p : points) row.push_back(value_cell(value(run, p, q, b), q, b, s));
    t.add_row(std::move(row));
  }
  return t;
}

Table compliance_table(const limits::Compliance& c, const LengthUnit& unit, std::vector<std::string>& notes) {
  Table t({{"quantity", "", true},
           {"judged", "", true},
           {"where", "", true},
           {"frequency", "", true},
           {"limit", ""},
           {"value", ""},
           {"unit", "", true},
           {"x", std::string(unit.label())},
           {"at", "", true},
           {"margin", ""},
           {"result", "", true},
           {"notes", "", true}});
  // A note shown as its number, written out below the table.
  const auto numbered = [&notes](const std::string& text) {
    std::size_t i = 0;
    while (i < notes.size() && notes[i] != text) ++i;
    if (i == notes.size()) notes.push_back(text);
    return "[" + std::to_string(i + 1) + "]";
  };
  const Cell none{"-", ""};
  for (const limits::Row& r : c.rows) {
    const bool applies = r.verdict != limits::Verdict::not_applicable;
    const int d = decimals(r.limit.quantity, c.b);
    std::string marks;
    if (!r.voltage_class.empty()) marks += numbered("voltage class: " + r.voltage_class);
    if (!r.reason.empty()) marks += (marks.empty() ? "" : " ") + numbered("not applicable: " + r.reason);
    if (!r.limit.source.empty()) marks += (marks.empty() ? "" : " ") + numbered("source: " + r.limit.source);
    t.add_row({Table::text(std::string(name(r.limit.quantity))),
               applies ? Table::text(std::string(name(r.evaluated))) : none,
               Table::text(std::string(limits::where_name(r.limit.where))),
               Table::text(std::string(limits::frequency_name(r.limit.frequency))),
               Table::number(static_cast<float>(r.limit_value), d),
               applies ? Table::number(static_cast<float>(r.value), d) : none, Table::text(r.unit),
               applies ? Table::number(unit.from_metres(r.x), 1) : none, applies ? Table::text(r.at) : none,
               applies ? Table::number(static_cast<float>(r.margin), 3) : none,
               Table::text(std::string(limits::verdict_name(r.verdict))), Table::text(marks)});
  }
  return t;
}

std::vector<ProfilesPicture::Limit> profile_limits(const limits::Compliance& c, Quantity q, const LengthUnit& unit) {
  std::vector<ProfilesPicture::Limit> out;
  for (const limits::Row& r : c.rows) {
    if (r.verdict == limits::Verdict::not_applicable || r.evaluated != q) continue;
    const float value = static_cast<float>(r.limit_value);
    const std::string label = "limit " + cli::round_trip_text(value) + " " + (r.unit == "uT" ? "\u00b5T" : r.unit) + " (" +
                              std::string(limits::where_name(r.limit.where)) + ")";
    const float left = unit.from_metres(c.edges.left), right = unit.from_metres(c.edges.right);
    switch (r.limit.where) {
      case limits::Where::edge:
        out.push_back({value, left, left, ""});  // one label for the pair
        out.push_back({value, right, right, label});
        break;
      case limits::Where::row: out.push_back({value, left, right, label}); break;
      case limits::Where::anywhere: out.push_back({value, -INFINITY, INFINITY, label}); break;
    }
  }
  return out;
}

std::vector<Quantity> profile_quantities(const brenlow::CrossSection& s) {
  std::vector<Quantity> out;
  if (brenlow::is_hybrid(s))
    out = {Quantity::e_ac, Quantity::e_dc, Quantity::b_ac, Quantity::b_dc, Quantity::an, Quantity::ri};
  else
    out = {Quantity::e, Quantity::b, Quantity::an, Quantity::ri};
  if (has_dc_pole(s)) out.push_back(Quantity::e_total);
  return out;
}

std::vector<float> default_profile_points(const brenlow::CrossSection& s, float left, float right) {
  const LengthUnit unit{s.english};
  float lo = left, hi = right;
  for (const brenlow::Group& g : s.groups) {
    lo = std::min(lo, g.x);
    hi = std::max(hi, g.x);
  }
  const float least = unit.to_metres(s.english ? 30.0f : 10.0f);
  const float beyond = std::max(0.5f * (right - left), least);
  // Within a study's reach, however wide the right-of-way.
  const double reach = unit.from_metres(largest_distance_metres);
  const double from = std::max(unit.from_metres(lo - beyond) * 1.0, -reach);
  const double to = std::min(unit.from_metres(hi + beyond) * 1.0, reach);
  // A round step (1, 2 or 5 times a power of ten) giving at most 200 intervals.
  double step = std::pow(10.0, std::floor(std::log10((to - from) / 200)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if ((to - from) / (step * m) <= 200) {
      step *= m;
      break;
    }
  const float a = static_cast<float>(std::max(std::floor(from / step) * step, -reach));
  const float z = static_cast<float>(std::min(std::ceil(to / step) * step, reach));
  std::vector<float> xs;
  for (float x : range_points("the profiles' points", a, z, static_cast<float>(step), unit))
    xs.push_back(unit.to_metres(x));
  return xs;
}

std::string report_html(const ReportRequest& r) {
  const brenlow::CrossSection& s = r.section;
  const brenlow::Evaluation run(s);
  const LengthUnit unit{s.english};
  const std::string u(unit.label());
  const std::string title1 = html::utf8_of_latin1(s.titles[0]), title2 = html::utf8_of_latin1(s.titles[1]);
  const std::string file = short_name(r.file);

  std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  out += "<meta name=\"generator\" content=\"tesk31-study " + html::escape(r.version) + "\">\n";
  out += "<title>" + html::escape("Line report: " + file) + "</title>\n<style>" + style + "</style>\n</head>\n<body>\n";
  out += "<header>\n<h1>" + html::escape(title1.empty() ? file : title1) + "</h1>\n";
  if (!title2.empty()) out += "<p class=\"subtitle\">" + html::escape(title2) + "</p>\n";
  out += "<p class=\"meta\">Data file " + html::escape(r.file) + " \u00b7 tesk31-study (Brenlow) " +
         html::escape(r.version) + " \u00b7 " + html::escape(r.date) + " \u00b7 " + std::to_string(r.frequency) +
         " Hz \u00b7 right-of-way from x = " + fixed(unit.from_metres(r.left), 1) + " to " +
         fixed(unit.from_metres(r.right), 1) + " " + u +
         (r.compliance ? " \u00b7 limits " + html::escape(r.compliance->set_name) : std::string()) + "</p>\n</header>\n";

  // The line.
  out += section_open("line", "The line");
  out += "<div class=\"keep\">" + html::table(line_table(s), "groups") + "</div>\n";
  SectionPicture drawing;
  drawing.title = "Cross section";
  drawing.distance_unit = u;
  for (std::size_t i = 0; i < s.groups.size(); ++i)
    drawing.conductors.push_back({unit.from_metres(s.groups[i].x), unit.from_metres(s.groups[i].y),
                                  html::utf8_of_latin1(s.groups[i].name), picture_kind(s, i)});
  drawing.edges = {unit.from_metres(r.left), unit.from_metres(r.right)};
  out += "<figure>" + html::inline_svg(section_svg(drawing)) +
         "<figcaption>The conductors at their heights (the lowest point of the span) and the edges of the "
         "right-of-way.</figcaption></figure>\n</section>\n";

  // The gradients.
  out += section_open("gradients", "Conductor surface gradients");
  out += "<div class=\"keep\">" + html::table(gradient_table(run), "gradients") + "</div>\n</section>\n";

  // The profiles.
  const std::vector<Quantity> quantities = profile_quantities(s);
  ProfilesPicture profiles;
  profiles.title = file;
  profiles.quantities = quantities;
  profiles.distance_unit = u;
  profiles.b = r.b;
  for (float x : r.xs) profiles.xs.push_back(unit.from_metres(x));
  for (const auto& v : values_at(run, quantities, r.xs, r.b)) profiles.values.push_back({v});
  profiles.marks = drawing.edges;
  profiles.marks_label = "edge";
  profiles.notes = panel_notes(quantities, {s});
  if (r.compliance)
    for (Quantity q : quantities) profiles.limits.push_back(profile_limits(*r.compliance, q, unit));
  out += section_open("profiles", "Profiles across the right-of-way");
  out += "<figure>" + html::inline_svg(profiles_svg(profiles)) + "<figcaption>From x = " +
         fixed(profiles.xs.empty() ? 0 : profiles.xs.front(), 1) + " to " +
         fixed(profiles.xs.empty() ? 0 : profiles.xs.back(), 1) + " " + u + ", " + std::to_string(r.xs.size()) +
         " points; each quantity at its height (below); the dashed lines are the edges.</figcaption></figure>\n"
         "</section>\n";

  // The values at the edges.
  out += section_open("edges", "Values at the edges of the right-of-way");
  out += "<div class=\"keep\">" + html::table(edge_table(run, {r.left, r.right}, r.b), "edges") + "</div>\n</section>\n";

  // The compliance with the limits.
  out += section_open("compliance", "Compliance with the limits");
  if (r.compliance) {
    const limits::Compliance& c = *r.compliance;
    std::size_t fails = 0, applies = 0;
    for (const limits::Row& row : c.rows) {
      fails += row.verdict == limits::Verdict::fail;
      applies += row.verdict != limits::Verdict::not_applicable;
    }
    out += "<p>Limit set <b>" + html::escape(c.set_name) + "</b>" +
           (c.set_title.empty() ? std::string() : ": " + html::escape(c.set_title)) + ". The line's voltage " +
           fixed(c.line_kv, 1) + " kV (the largest line-to-line or pole voltage) picks a voltage class where the set "
           "has them. ";
    if (applies == 0)
      out += "<span class=\"fail\">No limit of the set applies to this line: nothing is shown to hold.</span>";
    else if (fails == 0)
      out += "<span class=\"pass\">Every limit that applies holds (" + std::to_string(applies) + " of " +
             std::to_string(c.rows.size()) + " apply).</span>";
    else
      out += "<span class=\"fail\">" + std::to_string(fails) + " of the " + std::to_string(applies) +
             " limits that apply fail.</span>";
    out += "</p>\n";
    std::vector<std::string> notes;
    std::string table = html::table(compliance_table(c, unit, notes), "compliance");
    for (const char* verdict : {"PASS", "FAIL", "N/A"}) {
      const std::string cls = verdict[0] == 'P' ? "pass" : verdict[0] == 'F' ? "fail" : "na";
      const std::string from = std::string("<td class=\"text\">") + verdict + "</td>";
      const std::string to = "<td class=\"text " + cls + "\">" + verdict + "</td>";
      for (std::size_t at = table.find(from); at != std::string::npos; at = table.find(from, at + to.size()))
        table.replace(at, from.size(), to);
    }
    out += table + "<ol class=\"notes\">\n";
    for (const std::string& n : notes) out += "<li>" + html::escape(n) + "</li>\n";
    out += "</ol>\n<p class=\"note\">The value that decides each limit: at the edges the larger of the two edges' "
           "values; within the right-of-way (and anywhere) the largest, found on a fine grid and refined to 0.1 %; "
           "margin: value / limit for a field, value \u2212 limit in dB for a level. A limit the line's "
           "data cannot judge reads N/A, never PASS.</p>\n";
  } else {
    out += "<p>No limit set was given (<code>--limits SET|FILE</code>).</p>\n";
  }
  out += "</section>\n";

  // What the numbers assume.
  out += section_open("assumptions", "Assumptions and method");
  out += assumptions(run, r) + "</section>\n";
  return out + "</body>\n</html>\n";
}

}  // namespace study
