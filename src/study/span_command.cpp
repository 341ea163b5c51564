// tesk31-study span: E and B beside a line of sagging spans, against the
// cross section's values at mid-span.
#include <algorithm>
#include <cmath>
#include <thread>

#include "study/commands.hpp"
#include "study/pictures.hpp"
#include "study/table.hpp"

namespace study {

namespace {

constexpr long most_points = 10000;

// A length in the file's unit, converted to metres.
float length_option(const Arguments& args, const std::string& option, const LengthUnit& unit) {
  return unit.to_metres(parse_number(option, *args.one(option)));
}

enum class View { plan, side };

// --map plan=FILE or side=FILE, or a file whose name says the view
// (plan.svg, side-view.svg).
std::pair<View, std::string> map_option(const std::string& text) {
  for (const auto& [prefix, view] : {std::pair{"plan=", View::plan}, std::pair{"side=", View::side}})
    if (text.rfind(prefix, 0) == 0) return {view, text.substr(std::string(prefix).size())};
  const std::string base = short_name(text);
  if (base.rfind("plan", 0) == 0) return {View::plan, text};
  if (base.rfind("side", 0) == 0) return {View::side, text};
  throw UsageError("--map " + text + ": say the view, plan=FILE or side=FILE (or name the file plan*.svg or side*.svg)");
}

// Values over a grid of (along, x) at one height, rows shared among the cores.
std::vector<std::vector<float>> plan_grid(const brenlow::SpanEvaluation& run, bool electric, BUnit b,
                                          const std::vector<float>& along, const std::vector<float>& xs, float height) {
  std::vector<std::vector<float>> grid(xs.size(), std::vector<float>(along.size()));
  const unsigned cores = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < cores; ++t)
    threads.emplace_back([&, t] {
      for (std::size_t j = t; j < xs.size(); j += cores)
        for (std::size_t i = 0; i < along.size(); ++i)
          grid[j][i] = electric ? run.electric_field(xs[j], along[i], height).max
                                : from_gauss(run.magnetic_field(xs[j], along[i], height).max, b);
    });
  for (std::thread& t : threads) t.join();
  return grid;
}

}  // namespace

std::vector<float> lateral_option(const Arguments& args, const LengthUnit& unit) {
  const bool ranged = args.has("--from") || args.has("--to") || args.has("--step");
  if (ranged && args.has("--at")) throw UsageError("give the points by --at or by --from, --to and --step, not both");
  if (!ranged) return at_points(args, unit);
  if (!args.has("--from") || !args.has("--to") || !args.has("--step"))
    throw UsageError("--from, --to and --step go together");
  const float from = parse_number("--from", *args.one("--from"));
  const float to = parse_number("--to", *args.one("--to"));
  const float step = parse_number("--step", *args.one("--step"));
  if (!(step > 0)) throw UsageError("--step must be above 0");
  if (to < from) throw UsageError("--to must not be below --from");
  if ((to - from) / step > most_points) throw UsageError("more than 10000 points from --from to --to");
  std::vector<float> xs;
  for (float x : evenly_spaced(from, to, step)) xs.push_back(unit.to_metres(x));
  return xs;
}

int span_command(const std::vector<std::string>& argv, std::ostream& out, std::ostream&) {
  const Arguments args =
      Arguments::parse(argv, {"--length", "--sag", "--earth-sag", "--spans", "--along", "--at", "--from", "--to", "--step",
                              "--height", "--b-unit", "--csv", "--svg", "--map", "--quantity"});
  if (args.files.size() != 1)
    throw UsageError(args.files.empty() ? "no data file named" : "one data file only, not " + std::to_string(args.files.size()));
  if (!args.has("--length")) throw UsageError("--length L is needed: the length of each span");
  if (!args.has("--sag")) throw UsageError("--sag S is needed: the sag of the phases and poles");
  std::vector<std::pair<std::string, std::string>> outputs;
  if (auto svg = args.one("--svg")) outputs.emplace_back("--svg", *svg);
  if (auto csv = args.one("--csv")) outputs.emplace_back("--csv", *csv);
  std::vector<std::pair<View, std::string>> maps;
  for (const std::string& m : args.all("--map")) {
    maps.push_back(map_option(m));
    outputs.emplace_back("--map", maps.back().second);
  }
  check_outputs(args.files, outputs);
  bool plan_electric = true;
  if (auto q = args.one("--quantity")) {
    const std::optional<Quantity> quantity = parse_quantity(*q);
    if (!quantity || (*quantity != Quantity::e && *quantity != Quantity::b))
      throw UsageError("--quantity: a plan map shows E or B, not \"" + *q + "\"");
    plan_electric = *quantity == Quantity::e;
  }

  const std::string& file = args.files[0];
  const brenlow::CrossSection section = read_section(file);
  const LengthUnit unit{section.english};
  const std::string u(unit.label());
  const BUnit b = b_unit_given(args).value_or(cli::default_b_unit(section.english));

  brenlow::Spans spans;
  spans.length = length_option(args, "--length", unit);
  const std::vector<std::string> sags = split_commas(*args.one("--sag"));
  if (sags.size() == 1) {
    spans.sag = unit.to_metres(parse_number("--sag", sags[0]));
  } else if (sags.size() == section.groups.size()) {
    for (const std::string& s : sags) spans.group_sags.push_back(unit.to_metres(parse_number("--sag", s)));
    if (args.has("--earth-sag")) throw UsageError("--earth-sag with a sag for each group: give the earth wires' sags in --sag");
  } else {
    throw UsageError("--sag: one sag, or one for each of the " + std::to_string(section.groups.size()) + " groups, not " +
                     std::to_string(sags.size()));
  }
  if (args.has("--earth-sag")) spans.earth_sag = length_option(args, "--earth-sag", unit);
  if (auto n = args.one("--spans")) spans.count = static_cast<int>(parse_count("--spans", *n, 1, 15));
  const float height = args.has("--height") ? length_option(args, "--height", unit) : section.conditions.ef_height;
  if (!(height >= 0)) throw UsageError("--height: heights start at the ground (0) or above");
  const std::vector<float> xs = lateral_option(args, unit);
  std::vector<float> alongs;
  for (const std::string& a : args.all("--along")) alongs.push_back(unit.to_metres(parse_number("--along", a)));
  if (alongs.empty()) alongs = {spans.length / 2, spans.length / 4, 0.0f};

  const brenlow::SpanEvaluation run(section, spans);
  const brenlow::Evaluation& flat = run.cross_section();
  const int de = decimals(Quantity::e, b), db = decimals(Quantity::b, b);
  const std::string ue(unit_label(Quantity::e, b)), ub(unit_label(Quantity::b, b));
  const float L = spans.length;

  std::string sag_text;
  if (spans.group_sags.empty()) {
    sag_text = "sag " + fixed(unit.from_metres(spans.sag), 2) + " " + u;
    if (spans.earth_sag) sag_text += ", earth wires " + fixed(unit.from_metres(*spans.earth_sag), 2) + " " + u;
  } else {
    sag_text = "sags";
    for (float s : spans.group_sags) sag_text += " " + fixed(unit.from_metres(s), 2);
    sag_text += " " + u;
  }
  out << "Line of spans: " << short_name(file) << ", " << spans.count << " level spans of " << fixed(unit.from_metres(L), 1)
      << " " << u << ", " << sag_text << "\n"
      << "Fields at " << fixed(unit.from_metres(height), 2) << " " << u << " above ground in the middle span (along: "
      << u << " from its first tower); 2-D: the cross section's infinite conductors at their mid-span heights.\n"
      << "Tower steel and insulators are not modelled.\n";

  Table csv({{"x", u}, {"along", u}, {"height", u}, {"E", ue}, {"B", ub}});
  ProfilesPicture picture;
  picture.title = "Lateral profiles beside a line of spans: " + short_name(file);
  picture.quantities = {Quantity::e, Quantity::b};
  picture.distance_unit = unit.label();
  picture.b = b;
  for (float x : xs) picture.xs.push_back(unit.from_metres(x));
  picture.values.assign(2, {});
  for (float along : alongs) {
    const float a = unit.from_metres(along);
    std::string where = "along " + fixed(a, 1) + " " + u;
    if (std::abs(along - L / 2) < 1e-3f * L) where += " (mid-span)";
    if (std::abs(along) < 1e-3f * L || std::abs(along - L) < 1e-3f * L) where += " (at a tower)";
    out << '\n' << where << '\n';
    picture.sections.push_back(where);
    Table table({{"x", u}, {"E", ue}, {"E 2-D", ue}, {"E/2-D", ""}, {"B", ub}, {"B 2-D", ub}, {"B/2-D", ""}});
    std::vector<float> es, bs;
    for (float x : xs) {
      const float e = run.electric_field(x, along, height).max;
      const float bb = from_gauss(run.magnetic_field(x, along, height).max, b);
      const float e2 = flat.electric_field(x, height).max;
      const float b2 = from_gauss(flat.magnetic_field(x, height).max, b);
      table.add_row({Table::number(unit.from_metres(x), 1), Table::number(e, de), Table::number(e2, de),
                     Table::number(e / e2, 3), Table::number(bb, db), Table::number(b2, db), Table::number(bb / b2, 3)});
      csv.add_row({Table::number(unit.from_metres(x), 2), Table::number(a, 2), Table::number(unit.from_metres(height), 2),
                   Table::number(e, de), Table::number(bb, db)});
      es.push_back(e);
      bs.push_back(bb);
    }
    out << table.aligned();
    picture.values[0].push_back(es);
    picture.values[1].push_back(bs);
  }

  // The centre line (x = 0) through the middle span, and beyond its towers for the side view.
  const std::vector<float> line_along = evenly_spaced(-L / 4, L * 1.25f, L / 200);
  std::vector<float> line_e, line_b;
  float e_top = -1, b_top = -1, e_at = 0, b_at = 0;
  for (float along : line_along) {
    line_e.push_back(run.electric_field(0, along, height).max);
    line_b.push_back(from_gauss(run.magnetic_field(0, along, height).max, b));
    if (along < 0 || along > L) continue;
    if (line_e.back() > e_top) e_top = line_e.back(), e_at = along;
    if (line_b.back() > b_top) b_top = line_b.back(), b_at = along;
  }
  out << "\nLargest on the centre line (x = 0 " << u << ") in the middle span: E " << fixed(e_top, de) << " " << ue
      << " at " << fixed(unit.from_metres(e_at), 1) << " " << u << " along; B " << fixed(b_top, db) << " " << ub << " at "
      << fixed(unit.from_metres(b_at), 1) << " " << u << " along\n";

  std::vector<std::pair<std::string, std::string>> files;
  if (auto svg = args.one("--svg")) files.emplace_back(*svg, profiles_svg(picture));
  for (const auto& [view, path] : maps) {
    if (view == View::side) {
      ProfilesPicture side;
      side.title = "Along the centre line (x = 0) of a line of spans: " + short_name(file);
      side.quantities = {Quantity::e, Quantity::b};
      side.distance_unit = unit.label();
      side.x_label = "Along the line";
      side.b = b;
      side.sections = {"line of spans at " + fixed(unit.from_metres(height), 2) + " " + u, "cross section (2-D)"};
      for (float a : line_along) side.xs.push_back(unit.from_metres(a));
      const float e2 = flat.electric_field(0, height).max, b2 = from_gauss(flat.magnetic_field(0, height).max, b);
      side.values = {{line_e, std::vector<float>(line_along.size(), e2)}, {line_b, std::vector<float>(line_along.size(), b2)}};
      side.marks = {0.0f, unit.from_metres(L)};
      files.emplace_back(path, profiles_svg(side));
      continue;
    }
    MapPicture plan;
    plan.title = std::string(plan_electric ? "Electric" : "Magnetic") + " field at " + fixed(unit.from_metres(height), 2) +
                 " " + u + " over the ground beside a line of spans (plan): " + short_name(file);
    plan.quantity = plan_electric ? Quantity::e : Quantity::b;
    plan.b = b;
    plan.distance_unit = unit.label();
    plan.x_label = "Along the line";
    plan.y_label = "Lateral distance";
    float x_lo = 0, x_hi = 0;
    for (const brenlow::Group& g : section.groups) {
      x_lo = std::min(x_lo, unit.from_metres(g.x));
      x_hi = std::max(x_hi, unit.from_metres(g.x));
    }
    const float margin = unit.from_metres(30.0f);
    x_lo = std::floor((x_lo - margin) / 5) * 5;
    x_hi = std::ceil((x_hi + margin) / 5) * 5;
    const float a_lo = unit.from_metres(-L / 4), a_hi = unit.from_metres(L * 1.25f);
    std::vector<float> along_m, x_m;
    for (int i = 0; i <= 200; ++i) plan.xs.push_back(a_lo + (a_hi - a_lo) * static_cast<float>(i) / 200);
    for (int j = 0; j <= 100; ++j) plan.ys.push_back(x_lo + (x_hi - x_lo) * static_cast<float>(j) / 100);
    for (float a : plan.xs) along_m.push_back(unit.to_metres(a));
    for (float x : plan.ys) x_m.push_back(unit.to_metres(x));
    plan.grid = plan_grid(run, plan_electric, b, along_m, x_m, height);
    for (std::size_t i = 0; i < section.groups.size(); ++i) {
      const float x = unit.from_metres(section.groups[i].x);
      plan.wires.push_back({a_lo, x, a_hi, x, static_cast<int>(i) >= section.energized});
    }
    for (int k = -1; k <= 2; ++k) plan.towers.push_back(unit.from_metres(L * static_cast<float>(k)));
    files.emplace_back(path, map_svg(plan));
  }
  if (auto c = args.one("--csv")) files.emplace_back(*c, csv.csv());
  write_outputs(files, out);
  return 0;
}

}  // namespace study
