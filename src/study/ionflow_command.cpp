// tesk31-study ionflow: the total field and the ion current at the ground
// under a line with DC poles in corona, with each pole's onset and current.

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

}  // namespace

int ionflow_command(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  const Arguments args = Arguments::parse(
      argv, {"--at", "--from", "--to", "--step", "--roughness", "--air-density", "--onset-gradient", "--onset-voltage",
             "--mobility-positive", "--mobility-negative", "--lines", "--csv", "--svg"});
  if (args.files.size() != 1)
    throw UsageError(args.files.empty() ? "no data file named" : "one data file only, not " + std::to_string(args.files.size()));
  std::vector<std::pair<std::string, std::string>> outputs;
  if (auto svg = args.one("--svg")) outputs.emplace_back("--svg", *svg);
  if (auto csv = args.one("--csv")) outputs.emplace_back("--csv", *csv);
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

  const brenlow::IonFlowEvaluation flow(section, conditions);
  for (const std::string& w : flow.warnings()) err << "tesk31-study ionflow: warning: " << w << '\n';

  std::string onset = "Peek's onset gradient, roughness " + text(conditions.roughness, 2);
  if (!conditions.onset_gradients.empty()) onset = "onset gradient given";
  if (!conditions.onset_voltages.empty()) onset = "onset voltage given";
  std::string density = "relative air density " + text(flow.air_density(), 4);
  if (!conditions.air_density)
    density += " (altitude " + text(unit.from_metres(section.conditions.altitude), 1) + " " + u + ")";
  out << "Ion flow: " << short_name(file) << ", flux tracing under Deutsch's assumption\n"
      << onset << ", " << density << "; ion mobilities " << conditions.mobility_positive << " (+) and "
      << conditions.mobility_negative << " (-) m2/(V s)\n\n";

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

  Table table({{"x", u}, {"E nominal", "kV/m"}, {"E total", "kV/m"}, {"J", "nA/m2"}, {"rho", "nC/m3"}});
  ProfilesPicture picture;
  picture.title = "Field and ion current at the ground under DC corona: " + short_name(file);
  picture.sections = {"nominal field (conductor charges alone)",
                      flow.notes().empty() ? "total field and ion current density (with the space charge)"
                                           : "total field and ion current density (lines from pole to pole not solved)"};
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
  write_outputs(files, out);
  return 0;
}

}  // namespace study
