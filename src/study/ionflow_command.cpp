// tesk31-study ionflow: the total field and the ion current at the ground
// under a line with DC poles in corona, with each pole's onset and current.

#include <algorithm>
#include <cmath>

#include "study/commands.hpp"
#include "study/pictures.hpp"
#include "study/table.hpp"

namespace study {

namespace {

// One value for every pole or a comma list, one per pole.
std::vector<double> pole_values(const Arguments& args, const std::string& option) {
  std::vector<double> values;
  if (auto text = args.one(option))
    for (const std::string& item : split_commas(*text)) values.push_back(parse_number(option, item));
  return values;
}

std::string text(double v, int decimals) { return fixed(v, decimals); }

// Both polarities' ion densities together over the cross section, on a
// logarithmic scale: from twice the line's width on either side and up to
// twice its height.
std::string density_map(const brenlow::IonFlowEvaluation& flow, const brenlow::CrossSection& section,
                        const LengthUnit& unit, const std::string& name) {
  double lo = section.groups.front().x, hi = lo, top = 0;
  for (const brenlow::Group& g : section.groups) {
    lo = std::min<double>(lo, g.x), hi = std::max<double>(hi, g.x), top = std::max<double>(top, g.y);
  }
  const double margin = 2 * top + (hi - lo);
  MapPicture picture;
  picture.title = "Ion density over the cross section, positive and negative together: " + name;
  picture.distance_unit = unit.label();
  picture.value_label = "ions, nC/m3";
  picture.logarithmic = true;
  const int columns = 241, rows = 81;
  for (int i = 0; i < columns; ++i) picture.xs.push_back(static_cast<float>(lo - margin + (hi - lo + 2 * margin) * i / (columns - 1)));
  for (int j = 0; j < rows; ++j) picture.ys.push_back(static_cast<float>(2 * top * j / (rows - 1)));
  for (float y : picture.ys) {
    std::vector<float> row;
    for (float x : picture.xs) {
      const brenlow::IonDensities d = flow.densities(x, y);
      row.push_back(static_cast<float>(d.positive + d.negative));
    }
    picture.grid.push_back(std::move(row));
  }
  for (float& x : picture.xs) x = unit.from_metres(x);
  for (float& y : picture.ys) y = unit.from_metres(y);
  for (std::size_t i = 0; i < section.groups.size(); ++i) {
    const brenlow::Group& g = section.groups[i];
    picture.conductors.push_back({unit.from_metres(g.x), unit.from_metres(g.y), g.name,
                                  static_cast<int>(i) >= section.energized});
  }
  return map_svg(picture);
}

}  // namespace

int ionflow_command(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  const Arguments args = Arguments::parse(
      argv, {"--at", "--from", "--to", "--step", "--roughness", "--air-density", "--onset-gradient", "--onset-voltage",
             "--mobility-positive", "--mobility-negative", "--lines", "--csv", "--svg", "--method", "--wind",
             "--recombination", "--element-size", "--map"});
  if (args.files.size() != 1)
    throw UsageError(args.files.empty() ? "no data file named" : "one data file only, not " + std::to_string(args.files.size()));
  std::vector<std::pair<std::string, std::string>> outputs;
  if (auto svg = args.one("--svg")) outputs.emplace_back("--svg", *svg);
  if (auto csv = args.one("--csv")) outputs.emplace_back("--csv", *csv);
  if (auto map = args.one("--map")) outputs.emplace_back("--map", *map);
  check_outputs(args.files, outputs);

  const std::string& file = args.files[0];
  const brenlow::CrossSection section = read_section(file);
  const LengthUnit unit{section.english};
  const std::string u(unit.label());
  if (range_given(args) && args.has("--at")) throw UsageError("give the points by --at or by --from, --to and --step, not both");
  const std::vector<float> xs = range_given(args) ? range_option(args, unit) : at_points(args, unit);

  brenlow::IonFlowConditions conditions;
  if (auto m = args.one("--roughness")) conditions.roughness = parse_number("--roughness", *m);
  if (auto d = args.one("--air-density")) conditions.air_density = parse_number("--air-density", *d);
  if (auto k = args.one("--mobility-positive")) conditions.mobility_positive = parse_number("--mobility-positive", *k);
  if (auto k = args.one("--mobility-negative")) conditions.mobility_negative = parse_number("--mobility-negative", *k);
  if (auto n = args.one("--lines")) conditions.lines = static_cast<int>(parse_count("--lines", *n, 8, 10000));
  conditions.onset_gradients = pole_values(args, "--onset-gradient");
  conditions.onset_voltages = pole_values(args, "--onset-voltage");
  if (!conditions.onset_gradients.empty() && !conditions.onset_voltages.empty())
    throw UsageError("give --onset-gradient or --onset-voltage, not both");
  if (auto m = args.one("--method")) {
    if (*m == "full") conditions.method = brenlow::IonFlowMethod::full;
    else if (*m != "flux-tracing") throw UsageError("--method: full or flux-tracing, not " + *m);
  }
  const bool full = conditions.method == brenlow::IonFlowMethod::full;
  for (const char* option : {"--wind", "--recombination", "--element-size", "--map"})
    if (!full && args.has(option)) throw UsageError(std::string(option) + " needs --method full");
  if (auto w = args.one("--wind")) conditions.wind = parse_number("--wind", *w);
  if (auto r = args.one("--recombination")) conditions.recombination = parse_number("--recombination", *r);
  if (auto e = args.one("--element-size")) conditions.element_size = parse_number("--element-size", *e);

  const brenlow::IonFlowEvaluation flow(section, conditions);
  for (const std::string& w : flow.warnings()) err << "tesk31-study ionflow: warning: " << w << '\n';

  std::string onset = "Peek's onset gradient, roughness " + text(conditions.roughness, 2);
  if (!conditions.onset_gradients.empty()) onset = "onset gradient given";
  if (!conditions.onset_voltages.empty()) onset = "onset voltage given";
  std::string density = "relative air density " + text(flow.air_density(), 4);
  if (!conditions.air_density)
    density += " (altitude " + text(unit.from_metres(section.conditions.altitude), 1) + " " + u + ")";
  out << "Ion flow: " << short_name(file) << ", "
      << (full ? "the coupled equations solved in full" : "flux tracing under Deutsch's assumption") << "\n"
      << onset << ", " << density << "; ion mobilities " << conditions.mobility_positive << " (+) and "
      << conditions.mobility_negative << " (-) m2/(V s)\n";
  if (full)
    out << "wind " << text(conditions.wind, 1) << " m/s (towards +x), recombination " << conditions.recombination
        << " m3/s; mesh of " << flow.mesh_nodes() << " nodes, " << text(flow.domain_radius(), 0)
        << " m round the line\n";
  out << '\n';

  if (full) {
    Table poles({{"group", ""}, {"name", "", true}, {"voltage", "kV"}, {"E max", "kV/cm"}, {"E onset", "kV/cm"},
                 {"V onset", "kV"}, {"current", "mA/km"}, {"to ground", "mA/km"}, {"to wires", "mA/km"},
                 {"pole to pole", "mA/km"}, {"recombined", "mA/km"}, {"out with wind", "mA/km"}, {"loss", "kW/km"}});
    for (const brenlow::IonFlowPole& p : flow.poles())
      poles.add_row({Table::count(p.group + 1), Table::text(p.name), Table::number(static_cast<float>(p.kv), 1),
                     Table::number(static_cast<float>(p.max_gradient), 3),
                     Table::number(static_cast<float>(p.onset_gradient), 3),
                     Table::number(static_cast<float>(p.onset_voltage), 1), Table::number(static_cast<float>(p.current), 4),
                     Table::number(static_cast<float>(p.ground_current), 4),
                     Table::number(static_cast<float>(p.conductor_current), 4),
                     Table::number(static_cast<float>(p.inter_pole_current), 4),
                     Table::number(static_cast<float>(p.recombined), 4), Table::number(static_cast<float>(p.far_current), 4),
                     Table::number(static_cast<float>(p.loss), 3)});
    out << "Poles (current: into the ground, earth wires and AC conductors, the other poles and out with the wind)\n"
        << poles.aligned();
    if (flow.inter_pole_current() > 0)
      out << "From pole to pole " << text(flow.inter_pole_current(), 4) << " mA/km, of which recombined in the air "
          << text(flow.recombination_current(), 4) << " mA/km (" << text(100 * flow.recombination_share(), 1) << " %)\n";
    out << '\n';
  } else {
    Table poles({{"group", ""}, {"name", "", true}, {"voltage", "kV"}, {"E max", "kV/cm"}, {"E onset", "kV/cm"},
                 {"V onset", "kV"}, {"current", "mA/km"}, {"to ground", "mA/km"}, {"to wires", "mA/km"},
                 {"loss", "kW/km"}, {"lines", ""}, {"unsolved flux", "%"}});
    for (const brenlow::IonFlowPole& p : flow.poles()) {
      const int lines = p.lines_ground + p.lines_conductors + p.lines_between_poles + p.lines_lost;
      poles.add_row({Table::count(p.group + 1), Table::text(p.name), Table::number(static_cast<float>(p.kv), 1),
                     Table::number(static_cast<float>(p.max_gradient), 3),
                     Table::number(static_cast<float>(p.onset_gradient), 3),
                     Table::number(static_cast<float>(p.onset_voltage), 1), Table::number(static_cast<float>(p.current), 4),
                     Table::number(static_cast<float>(p.ground_current), 4),
                     Table::number(static_cast<float>(p.conductor_current), 4), Table::number(static_cast<float>(p.loss), 3),
                     Table::count(lines), Table::number(static_cast<float>(100 * p.unsolved_flux), 1)});
    }
    out << "Poles (current: into the ground and into earth wires and AC conductors)\n" << poles.aligned() << '\n';
  }

  Table table({{"x", u}, {"E nominal", "kV/m"}, {"E total", "kV/m"}, {"J", "nA/m2"}, {"rho", "nC/m3"}});
  ProfilesPicture picture;
  picture.title = "Field and ion current at the ground under DC corona: " + short_name(file);
  picture.sections = {"nominal field (conductor charges alone)",
                      flow.notes().empty() ? "total field and ion current density (with the space charge)"
                                           : "total field and ion current density (lines from pole to pole not solved)"};
  if (full) picture.sections[1] = "total field and ion current density (coupled equations)";
  picture.quantities = {Quantity::e, Quantity::e};
  picture.panel_titles = {"E at the ground", "J at the ground (positive ions into the ground positive)"};
  picture.axis_labels = {"E, kV/m", "J, nA/m2"};
  picture.distance_unit = unit.label();
  picture.values = {{{}, {}}, {{}, {}}};
  for (float x : xs) {
    const brenlow::IonFlowPoint p = flow.at(x);
    const float shown_x = unit.from_metres(x);
    table.add_row({Table::number(shown_x, 1), Table::number(static_cast<float>(p.e_nominal), 3),
                   Table::number(static_cast<float>(p.e_total), 3), Table::number(static_cast<float>(p.j), 3),
                   Table::number(static_cast<float>(p.rho), 3)});
    picture.xs.push_back(shown_x);
    picture.values[0][0].push_back(static_cast<float>(p.e_nominal));
    picture.values[0][1].push_back(static_cast<float>(p.e_total));
    picture.values[1][1].push_back(static_cast<float>(p.j));
  }
  out << "At the ground\n" << table.aligned();
  for (const std::string& n : flow.notes()) out << "Note: " << n << ".\n";
  for (const brenlow::Group& g : section.groups) picture.marks.push_back(unit.from_metres(g.x));

  std::vector<std::pair<std::string, std::string>> files;
  if (auto svg = args.one("--svg")) files.emplace_back(*svg, profiles_svg(picture));
  if (auto c = args.one("--csv")) {
    Table csv({{"x", u}, {"E nominal", "kV/m"}, {"E total", "kV/m"}, {"J", "nA/m2"}, {"rho", "nC/m3"}});
    for (float x : xs) {
      const brenlow::IonFlowPoint p = flow.at(x);
      csv.add_row({Table::number(unit.from_metres(x), 2), Table::number(static_cast<float>(p.e_nominal), 4),
                   Table::number(static_cast<float>(p.e_total), 4), Table::number(static_cast<float>(p.j), 4),
                   Table::number(static_cast<float>(p.rho), 4)});
    }
    files.emplace_back(*c, csv.csv());
  }
  if (auto map = args.one("--map")) files.emplace_back(*map, density_map(flow, section, unit, short_name(file)));
  write_outputs(files, out);
  return 0;
}

}  // namespace study
