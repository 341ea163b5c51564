// tesk31-study map: E or B over the cross section.
#include <algorithm>
#include <cmath>

#include "study/commands.hpp"
#include "study/pictures.hpp"
#include "study/table.hpp"

namespace study {

namespace {

struct Range {
  float from, to;
};

Range range_option(const Arguments& args, const std::string& option) {
  const std::string text = *args.one(option);
  const std::size_t colon = text.find(':', 1);
  if (colon == std::string::npos) throw UsageError(option + " needs FROM:TO, not \"" + text + "\"");
  Range r{parse_number(option, text.substr(0, colon)), parse_number(option, text.substr(colon + 1))};
  if (!(r.to > r.from)) throw UsageError(option + ": TO must be above FROM in \"" + text + "\"");
  return r;
}

// A step of 1, 2 or 5 times a power of ten near span / n.
float round_step(float span, float n) {
  const double raw = span / n;
  const double p = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (raw <= m * p * 1.0001) return static_cast<float>(m * p);
  return static_cast<float>(10 * p);
}

}  // namespace

int map_command(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  const Arguments args = Arguments::parse(argv, {"--quantity", "--x", "--y", "--step", "--svg", "--csv", "--b-unit"});
  const std::optional<BUnit> b_given = b_unit_given(args);
  if (args.files.size() != 1)
    throw UsageError(args.files.empty() ? "no data file named" : "one data file only, not " + std::to_string(args.files.size()));
  const std::optional<std::string> qtext = args.one("--quantity");
  if (!qtext) throw UsageError("--quantity E, E-RES, B, B-RES (or a part: E-AC, E-DC, ...) is needed");
  const std::optional<Quantity> q = parse_quantity(*qtext);
  if (!q || from_gradients(*q))
    throw UsageError("--quantity: a map shows a field (E, E-RES, B, B-RES, E-AC, E-AC-RES, E-DC, B-AC, B-AC-RES, "
                     "B-DC), not \"" + *qtext + "\"");
  std::vector<std::pair<std::string, std::string>> outputs;
  if (auto svg = args.one("--svg")) outputs.emplace_back("--svg", *svg);
  if (auto csv = args.one("--csv")) outputs.emplace_back("--csv", *csv);
  if (outputs.empty()) throw UsageError("--svg FILE (or --csv FILE) is needed");
  check_outputs(args.files, outputs);

  const std::string& file = args.files[0];
  const brenlow::CrossSection section = read_section(file);
  const BUnit b = b_given.value_or(cli::default_b_unit(section.english));
  show_warnings(err, file, section, false);
  check_quantities(file, section, {*q});
  const LengthUnit unit{section.english};
  if (section.groups.empty()) throw StudyError(file + " holds no conductor groups");

  // The extent, in the file's unit: the groups with room around them.
  float gx0 = section.groups[0].x, gx1 = gx0, gy1 = section.groups[0].y;
  for (const brenlow::Group& g : section.groups) {
    gx0 = std::min(gx0, g.x);
    gx1 = std::max(gx1, g.x);
    gy1 = std::max(gy1, g.y);
  }
  const float margin = unit.from_metres(30.0f);
  Range xr{unit.from_metres(gx0) - margin, unit.from_metres(gx1) + margin};
  Range yr{0, unit.from_metres(gy1) + unit.from_metres(10.0f)};
  xr.from = std::floor(xr.from / 5) * 5;
  xr.to = std::ceil(xr.to / 5) * 5;
  yr.to = std::ceil(yr.to / 5) * 5;
  if (args.has("--x")) xr = range_option(args, "--x");
  if (args.has("--y")) yr = range_option(args, "--y");
  // The extent the groups give is checked too: a group far out makes it far.
  const std::string x_what = args.has("--x") ? "--x" : "the groups' extent across (give --x)";
  const std::string y_what = args.has("--y") ? "--y" : "the groups' extent up (give --y)";
  for (float v : {xr.from, xr.to}) check_distance(x_what, v, unit);
  for (float v : {yr.from, yr.to}) check_distance(y_what, v, unit);
  if (yr.from < 0) throw UsageError("--y: heights start at the ground (0) or above");
  float step = round_step(std::max(xr.to - xr.from, yr.to - yr.from), 200);
  if (auto s = args.one("--step")) {
    step = parse_number("--step", *s);
    if (!(step > 0)) throw UsageError("--step must be above 0");
  }
  if ((xr.to - xr.from) / step > 1000 || (yr.to - yr.from) / step > 1000)
    throw UsageError("--step is too fine: more than 1000 points across or up");
  // The extent the groups give is centred on the middle of the line, whole
  // steps either side, so that a symmetric line gets a symmetric grid.
  if (!args.has("--x")) {
    const float centre = (xr.from + xr.to) / 2;
    const float half = std::ceil((xr.to - xr.from) / 2 / step) * step;
    xr = {centre - half, centre + half};
  }

  MapPicture picture;
  const bool resultant = *q == Quantity::e_res || *q == Quantity::b_res || *q == Quantity::e_ac_res ||
                         *q == Quantity::b_ac_res;
  const char* part = *q == Quantity::e_dc || *q == Quantity::b_dc ? " of the DC poles"
                     : one_field(*q)                            ? ""
                                                                : " of the AC phases";
  picture.title = std::string(electric(*q) ? "Electric field" : "Magnetic field") + part +
                  (resultant ? " (resultant)" : "") + " over the cross section: " + short_name(file);
  picture.quantity = *q;
  picture.b = b;
  picture.distance_unit = unit.label();
  picture.xs = range_points(x_what + " with --step", xr.from, xr.to, step, unit);
  picture.ys = range_points(y_what + " with --step", yr.from, yr.to, step, unit);
  // One line each way at least two: a single one spans nothing to draw.
  if (picture.xs.size() < 2 || picture.ys.size() < 2)
    throw UsageError("--step " + fixed(step, 2) + " " + std::string(unit.label()) +
                     " is too coarse: a map needs two grid lines across and two up at least");
  const brenlow::Evaluation run(section);
  for (float y : picture.ys) {
    std::vector<float> row;
    const float ym = unit.to_metres(y);
    for (float x : picture.xs) {
      const float xm = unit.to_metres(x);
      row.push_back(field_at(run, *q, xm, ym, b));
    }
    picture.grid.push_back(std::move(row));
  }
  for (std::size_t i = 0; i < section.groups.size(); ++i) {
    const brenlow::Group& g = section.groups[i];
    std::string n = g.name;
    while (!n.empty() && n.back() == ' ') n.pop_back();
    picture.conductors.push_back(
        {unit.from_metres(g.x), unit.from_metres(g.y), n, static_cast<int>(i) >= section.energized});
  }

  // The terminal shows the grid thinned to a dozen columns; the CSV holds all of it.
  const int d = decimals(*q, b);
  const std::string u(unit_label(*q, b));
  const std::size_t every_x = std::max<std::size_t>(1, (picture.xs.size() + 11) / 12);
  const std::size_t every_y = std::max<std::size_t>(1, (picture.ys.size() + 14) / 15);
  std::vector<Column> columns = {{"height", std::string(unit.label())}};
  for (std::size_t i = 0; i < picture.xs.size(); i += every_x)
    columns.push_back({"x=" + fixed(picture.xs[i], 1), u});
  Table shown(columns);
  for (std::size_t j = picture.ys.size(); j-- > 0;) {
    if (j % every_y) continue;
    std::vector<Cell> row = {Table::number(picture.ys[j], 1)};
    for (std::size_t i = 0; i < picture.xs.size(); i += every_x) {
      const float v = picture.grid[j][i];
      row.push_back(std::isfinite(v) ? Table::number(v, d) : Table::text("-"));
    }
    shown.add_row(std::move(row));
  }
  out << picture.title << " (" << name(*q) << " in " << u << ", every " << every_x * step << " " << unit.label()
      << " across, " << every_y * step << " " << unit.label() << " up)\n\n";
  out << shown.aligned();
  // A grid point at a conductor's centre: the field there is no number.
  std::size_t none = 0;
  for (const auto& row : picture.grid)
    for (float v : row) none += std::isfinite(v) ? 0 : 1;
  if (none > 0)
    out << "- : no value at " << none << (none == 1 ? " grid point" : " grid points")
        << " on a conductor's centre (NaN in the CSV, no colour in the picture).\n";

  std::vector<std::pair<std::string, std::string>> files;
  if (auto svg = args.one("--svg")) files.emplace_back(*svg, map_svg(picture));
  if (auto csv = args.one("--csv")) {
    Table all({{"x", std::string(unit.label())}, {"height", std::string(unit.label())}, {std::string(name(*q)), u}});
    for (std::size_t j = 0; j < picture.ys.size(); ++j)
      for (std::size_t i = 0; i < picture.xs.size(); ++i)
        all.add_row({Table::number(picture.xs[i], 2), Table::number(picture.ys[j], 2), Table::number(picture.grid[j][i], d)});
    files.emplace_back(*csv, all.csv());
  }
  write_outputs(files, out);
  return 0;
}

}  // namespace study
