// tesk31-study span: E and B beside a line of sagging spans, against the
// cross section's values at mid-span.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <functional>
#include <limits>
#include <mutex>
#include <thread>

#include "cli/threads.hpp"
#include "study/commands.hpp"
#include "study/pictures.hpp"
#include "study/progress.hpp"
#include "study/table.hpp"

namespace study {

namespace {

// The most rows the table may have: points across times positions along
// (10,000 points at the three positions along given by default).
constexpr std::size_t most_rows = 30000;

// The lateral points, metres: --at, or --from, --to and --step.
std::vector<float> lateral_option(const Arguments& args, const LengthUnit& unit) {
  if (range_given(args) && args.has("--at")) throw UsageError("give the points by --at or by --from, --to and --step, not both");
  return range_given(args) ? range_option(args, unit) : at_points(args, unit);
}

// A distance option in the file's unit, checked as every point is,
// converted to metres.
float distance_option(const std::string& option, const std::string& text, const LengthUnit& unit) {
  const float v = parse_number(option, text);
  check_distance(option + " " + text, v, unit);
  return unit.to_metres(v);
}

// The span length, metres, within the lengths the line of spans is solved for.
float length_option(const Arguments& args, const LengthUnit& unit) {
  const std::string text = *args.one("--length");
  const float v = parse_number("--length", text);
  const float lo = unit.from_metres(brenlow::Spans::shortest_length), hi = unit.from_metres(brenlow::Spans::longest_length);
  // The ends as shown (65.6 ft for 20 m, 3280840 ft for 1000 km) are taken.
  const float metres = unit.to_metres(v);
  if (!(metres >= brenlow::Spans::shortest_length * (1 - 5e-4f) && metres <= brenlow::Spans::longest_length * (1 + 1e-6f)))
    throw StudyError("--length " + text + " " + std::string(unit.label()) + ": spans from " + fixed(lo, unit.feet ? 1 : 0) +
                     " to " + fixed(hi, 0) + " " + std::string(unit.label()) +
                     " (1000 km) are solved: shorter, the elements are as short as a bundle is wide; longer, beyond a "
                     "study's reach");
  return std::clamp(metres, brenlow::Spans::shortest_length, brenlow::Spans::longest_length);
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

// How far a group's bundle reaches from its axis, m: the circle through
// its subconductors' centres and a subconductor's radius.
float bundle_reach(const brenlow::Group& g) {
  const float pi = 3.14159265f;
  const float ring = g.subconductors > 1 ? g.spacing / 100 / (2 * std::sin(pi / static_cast<float>(g.subconductors))) : 0;
  return ring + g.diameter / 1000 / 2;
}

// The group whose bundle holds the point (x, height), its axis `axis(i)`
// m up; -1 when none does.
template <class Axis>
int group_holding(const brenlow::CrossSection& section, float x, float height, Axis axis) {
  for (std::size_t i = 0; i < section.groups.size(); ++i)
    if (std::hypot(x - section.groups[i].x, height - axis(static_cast<int>(i))) <= bundle_reach(section.groups[i]))
      return static_cast<int>(i);
  return -1;
}

// Not-a-number inside a conductor of the line of spans, where the field is
// not the line's.
bool inside(const brenlow::SpanEvaluation& run, float x, float along, float height) {
  return group_holding(run.section(), x, height, [&](int i) { return run.conductor_height(i, along); }) >= 0;
}

// The largest of some values and where it stands; none while no value was
// a number.
struct Largest {
  float value = std::numeric_limits<float>::quiet_NaN();
  float x = 0, along = 0;
  void take(float v, float at_x, float at_along) {
    if (std::isfinite(v) && !(v <= value)) value = v, x = at_x, along = at_along;
  }
};

// Values over a grid of (along, x) at one height, rows shared among the
// cores (as many as start); not-a-number inside a conductor.
std::vector<std::vector<float>> plan_grid(const brenlow::SpanEvaluation& run, bool electric, BUnit b,
                                          const std::vector<float>& along, const std::vector<float>& xs, float height,
                                          const std::function<void()>& row_done) {
  std::vector<std::vector<float>> grid(xs.size(), std::vector<float>(along.size()));
  std::atomic<std::size_t> next{0};
  std::mutex lock;
  std::exception_ptr failure;  // the first, rethrown once every thread is done
  const auto work = [&] {
    try {
      for (std::size_t j = next++; j < xs.size(); j = next++) {
        for (std::size_t i = 0; i < along.size(); ++i)
          grid[j][i] = inside(run, xs[j], along[i], height) ? std::numeric_limits<float>::quiet_NaN()
                       : electric ? run.electric_field(xs[j], along[i], height).max
                                  : from_gauss(run.magnetic_field(xs[j], along[i], height).max, b);
        const std::lock_guard<std::mutex> hold(lock);
        row_done();
      }
    } catch (...) {
      next = xs.size();
      const std::lock_guard<std::mutex> hold(lock);
      if (!failure) failure = std::current_exception();
    }
  };
  const unsigned cores = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
  // A thread the system cannot start: the others do its share.
  std::vector<std::thread> threads = cli::start_threads(cores - 1, [&work](unsigned) { work(); });
  work();
  for (std::thread& t : threads) t.join();
  if (failure) std::rethrow_exception(failure);
  return grid;
}

// "E 7.123 kV/m at x = -10.5 m, 150.0 m along", or "n/a" when no value was a number.
std::string largest_text(const char* what, const Largest& top, int digits, const std::string& quantity_unit,
                         const LengthUnit& unit) {
  const std::string u(unit.label());
  if (std::isnan(top.value)) return std::string(what) + " n/a (no point outside the conductors)";
  return std::string(what) + " " + fixed(top.value, digits) + " " + quantity_unit + " at x = " +
         fixed(unit.from_metres(top.x), 1) + " " + u + ", " + fixed(unit.from_metres(top.along), 1) + " " + u + " along";
}

// A group's name without its padding.
std::string trimmed_name(std::string name) {
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

// A ratio of two values, n/a when the second is 0 or either is no number.
Cell ratio_cell(float value, float reference) {
  const float r = value / reference;
  if (!std::isfinite(r) || reference == 0) return {"n/a", ""};
  return Table::number(r, 3);
}

}  // namespace

int span_command(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  const Arguments args =
      Arguments::parse(argv, {"--length", "--sag", "--earth-sag", "--spans", "--along", "--at", "--from", "--to", "--step",
                              "--height", "--b-unit", "--csv", "--svg", "--map", "--quantity", "--side-at"});
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
  show_warnings(err, file, section, false);
  if (brenlow::is_hybrid(section))
    throw StudyError(file + ": a hybrid line (AC phases and DC poles) has no one E or B to show along its spans: "
                     "its alternating and static fields do not add as phasors (the Python module's Span gives "
                     "each part apart)");
  const LengthUnit unit{section.english};
  const std::string u(unit.label());
  const BUnit b = b_unit_given(args).value_or(cli::default_b_unit(section.english));

  brenlow::Spans spans;
  spans.length = length_option(args, unit);
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
  if (auto e = args.one("--earth-sag")) spans.earth_sag = unit.to_metres(parse_number("--earth-sag", *e));
  if (auto n = args.one("--spans")) spans.count = static_cast<int>(parse_count("--spans", *n, 1, 15));
  const float height = args.has("--height") ? distance_option("--height", *args.one("--height"), unit)
                                            : section.conditions.ef_height;
  if (!(height >= 0)) throw UsageError("--height: heights start at the ground (0) or above");
  const std::vector<float> xs = lateral_option(args, unit);
  std::vector<float> alongs;
  for (const std::string& a : args.all("--along")) alongs.push_back(distance_option("--along", a, unit));
  if (alongs.empty()) alongs = {spans.length / 2, spans.length / 4, 0.0f};
  if (xs.size() * alongs.size() > most_rows)
    throw StudyError(std::to_string(xs.size()) + " points at " + std::to_string(alongs.size()) + " positions along make " +
                     std::to_string(xs.size() * alongs.size()) + " rows: the table holds at most " +
                     std::to_string(most_rows) + " (fewer points or positions along)");
  const std::optional<std::string> side_at_text = args.one("--side-at");
  const float side_x = side_at_text ? distance_option("--side-at", *side_at_text, unit) : 0.0f;
  const bool side_view = side_at_text || std::any_of(maps.begin(), maps.end(), [](const auto& m) { return m.first == View::side; });
  const std::optional<std::pair<View, std::string>> plan_map = [&]() -> std::optional<std::pair<View, std::string>> {
    for (const auto& m : maps)
      if (m.first == View::plan) return m;
    return std::nullopt;
  }();

  const brenlow::SpanEvaluation run(section, spans);
  const brenlow::Evaluation& flat = run.cross_section();
  // A point inside a conductor of the line is refused, as no field there is
  // the line's; one inside a conductor of the cross section (at its
  // mid-span height) has no 2-D value to compare with.
  for (float along : alongs)
    for (float x : xs) {
      const int g = group_holding(section, x, height, [&](int i) { return run.conductor_height(i, along); });
      if (g >= 0)
        throw StudyError("the point x = " + fixed(unit.from_metres(x), 2) + " " + u + ", " +
                         fixed(unit.from_metres(along), 2) + " " + u + " along, " + fixed(unit.from_metres(height), 2) +
                         " " + u + " up is inside group " + std::to_string(g + 1) + " " + trimmed_name(section.groups[static_cast<std::size_t>(g)].name) +
                         " (its bundle reaches " + fixed(unit.from_metres(bundle_reach(section.groups[static_cast<std::size_t>(g)])), 2) +
                         " " + u + " from its axis, there " + fixed(unit.from_metres(run.conductor_height(g, along)), 2) +
                         " " + u + " up)");
    }
  const auto inside_2d = [&](float x) {
    return group_holding(section, x, height, [&](int i) { return section.groups[static_cast<std::size_t>(i)].y; }) >= 0;
  };

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

  // The line along which the side view runs (x = --side-at) through the
  // middle span and beyond its towers, and the plan map's grid.
  const std::vector<float> line_along = side_view ? evenly_spaced(-L / 4, L * 1.25f, L / 200) : std::vector<float>{};
  const std::size_t plan_rows = plan_map ? 101 : 0, plan_columns = 201;
  Progress progress(err, stderr_is_terminal(), "span");
  const std::uint64_t work = xs.size() * alongs.size() + line_along.size() + plan_rows * plan_columns;
  std::uint64_t done = 0;

  Table csv({{"x", u}, {"along", u}, {"height", u}, {"E", ue}, {"B", ub}});
  ProfilesPicture picture;
  picture.title = "Lateral profiles beside a line of spans: " + short_name(file);
  picture.quantities = {Quantity::e, Quantity::b};
  picture.distance_unit = unit.label();
  picture.b = b;
  for (float x : xs) picture.xs.push_back(unit.from_metres(x));
  picture.values.assign(2, {});
  Largest profile_e, profile_b;
  bool some_2d_inside = false;
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
      const bool no_2d = inside_2d(x);
      some_2d_inside = some_2d_inside || no_2d;
      const float e2 = no_2d ? std::numeric_limits<float>::quiet_NaN() : flat.electric_field(x, height).max;
      const float b2 = no_2d ? std::numeric_limits<float>::quiet_NaN() : from_gauss(flat.magnetic_field(x, height).max, b);
      const auto number_or_na = [](float v, int digits) { return std::isfinite(v) ? Table::number(v, digits) : Cell{"n/a", ""}; };
      table.add_row({Table::number(unit.from_metres(x), 1), Table::number(e, de), number_or_na(e2, de), ratio_cell(e, e2),
                     Table::number(bb, db), number_or_na(b2, db), ratio_cell(bb, b2)});
      csv.add_row({Table::number(unit.from_metres(x), 2), Table::number(a, 2), Table::number(unit.from_metres(height), 2),
                   Table::number(e, de), Table::number(bb, db)});
      es.push_back(e);
      bs.push_back(bb);
      profile_e.take(e, x, along);
      profile_b.take(bb, x, along);
      progress.update(++done, work);
    }
    out << table.aligned();
    picture.values[0].push_back(es);
    picture.values[1].push_back(bs);
  }
  if (some_2d_inside)
    out << "n/a: the point is inside a conductor of the cross section (at its mid-span height), where it has no value.\n";
  out << "\nLargest on the profiles: " << largest_text("E", profile_e, de, ue, unit) << "; "
      << largest_text("B", profile_b, db, ub, unit) << "\n";

  std::vector<float> line_e, line_b;
  Largest line_top_e, line_top_b;
  for (float along : line_along) {
    const bool held = inside(run, side_x, along, height);
    line_e.push_back(held ? std::numeric_limits<float>::quiet_NaN() : run.electric_field(side_x, along, height).max);
    line_b.push_back(held ? std::numeric_limits<float>::quiet_NaN()
                          : from_gauss(run.magnetic_field(side_x, along, height).max, b));
    progress.update(++done, work);
    if (along < 0 || along > L) continue;
    line_top_e.take(line_e.back(), side_x, along);
    line_top_b.take(line_b.back(), side_x, along);
  }
  if (side_view)
    out << "Largest along x = " << fixed(unit.from_metres(side_x), 1) << " " << u
        << " in the middle span (side view): " << largest_text("E", line_top_e, de, ue, unit) << "; "
        << largest_text("B", line_top_b, db, ub, unit) << "\n";

  std::vector<std::pair<std::string, std::string>> files;
  if (auto svg = args.one("--svg")) files.emplace_back(*svg, profiles_svg(picture));
  for (const auto& [view, path] : maps) {
    if (view == View::side) {
      ProfilesPicture side;
      side.title = "Along the line at x = " + fixed(unit.from_metres(side_x), 1) + " " + u + " of a line of spans: " + short_name(file);
      side.quantities = {Quantity::e, Quantity::b};
      side.distance_unit = unit.label();
      side.x_label = "Along the line";
      side.b = b;
      side.sections = {"line of spans at " + fixed(unit.from_metres(height), 2) + " " + u, "cross section (2-D)"};
      for (float a : line_along) side.xs.push_back(unit.from_metres(a));
      const bool no_2d = inside_2d(side_x);
      const float nan = std::numeric_limits<float>::quiet_NaN();
      const float e2 = no_2d ? nan : flat.electric_field(side_x, height).max;
      const float b2 = no_2d ? nan : from_gauss(flat.magnetic_field(side_x, height).max, b);
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
    for (std::size_t i = 0; i < plan_columns; ++i)
      plan.xs.push_back(a_lo + (a_hi - a_lo) * static_cast<float>(i) / static_cast<float>(plan_columns - 1));
    for (std::size_t j = 0; j < plan_rows; ++j)
      plan.ys.push_back(x_lo + (x_hi - x_lo) * static_cast<float>(j) / static_cast<float>(plan_rows - 1));
    for (float a : plan.xs) along_m.push_back(unit.to_metres(a));
    for (float x : plan.ys) x_m.push_back(unit.to_metres(x));
    plan.grid = plan_grid(run, plan_electric, b, along_m, x_m, height, [&] {
      done += plan_columns;
      progress.update(done, work);
    });
    Largest top;
    for (std::size_t j = 0; j < x_m.size(); ++j)
      for (std::size_t i = 0; i < along_m.size(); ++i) top.take(plan.grid[j][i], x_m[j], along_m[i]);
    out << "Largest on the plan map: "
        << largest_text(plan_electric ? "E" : "B", top, plan_electric ? de : db, plan_electric ? ue : ub, unit) << "\n";
    for (std::size_t i = 0; i < section.groups.size(); ++i) {
      const float x = unit.from_metres(section.groups[i].x);
      plan.wires.push_back({a_lo, x, a_hi, x, static_cast<int>(i) >= section.energized});
    }
    for (int k = -1; k <= 2; ++k) plan.towers.push_back(unit.from_metres(L * static_cast<float>(k)));
    files.emplace_back(path, map_svg(plan));
  }
  progress.finish();
  if (auto c = args.one("--csv")) files.emplace_back(*c, csv.csv());
  write_outputs(files, out);
  return 0;
}

}  // namespace study
