// tesk31-study phasing: the best arrangements of the circuits' phase angles.
#include <algorithm>
#include <cmath>

#include "cli/numbers.hpp"
#include "study/commands.hpp"
#include "study/phasing.hpp"
#include "study/pictures.hpp"
#include "study/progress.hpp"
#include "study/table.hpp"

namespace study {

namespace {

std::vector<std::vector<int>> circuits_option(const Arguments& args) {
  std::vector<std::vector<int>> out;
  for (const std::string& text : args.all("--circuit")) out.push_back(parse_groups("--circuit", text));
  if (out.empty()) throw UsageError("no circuit given (--circuit i,j,k: the circuit's group numbers)");
  return out;
}

std::string angle_text(float degrees) { return fixed(degrees, 1); }

}  // namespace

int phasing_command(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  const Arguments args = Arguments::parse(
      argv, {"--circuit", "--minimize", "--minimise", "--at", "--top", "--threads", "--time-limit", "-o", "--svg", "--csv",
       "--b-unit"},
      {"--engine-ranking"});
  const std::optional<BUnit> b_given = b_unit_given(args);
  if (args.files.size() != 1)
    throw UsageError(args.files.empty() ? "no data file named" : "one data file only, not " + std::to_string(args.files.size()));
  PhasingRequest request;
  request.circuits = circuits_option(args);
  request.quantities = quantities_option(args, "--minimize");
  for (Quantity q : quantities_option(args, "--minimise")) request.quantities.push_back(q);
  if (request.quantities.empty()) throw UsageError("no quantity to minimise (--minimize Q[,Q...])");
  for (Quantity q : request.quantities)
    if (from_ion_flow(q))
      throw UsageError("--minimize " + std::string(name(q)) + ": the ion flow is a DC line's; a phasing arranges AC phases");
  if (args.all("--at").empty()) throw UsageError("no point given (--at X, in the data file's unit)");
  if (auto top = args.one("--top")) request.top = static_cast<std::size_t>(parse_count("--top", *top, 1, static_cast<long>(max_top)));
  if (auto threads = args.one("--threads"))
    request.threads = static_cast<unsigned>(parse_count("--threads", *threads, 1, max_threads));
  request.time_limit = default_time_limit;
  if (auto limit = args.one("--time-limit")) {
    const float seconds = parse_number("--time-limit", *limit);
    if (!(seconds > 0)) throw UsageError("--time-limit: a number of seconds above 0, not '" + *limit + "'");
    request.time_limit = seconds;
  }
  request.fast_ranking = !args.has("--engine-ranking");
  std::vector<std::pair<std::string, std::string>> outputs;
  if (auto o = args.one("-o")) outputs.emplace_back("-o", *o);
  if (auto svg = args.one("--svg")) outputs.emplace_back("--svg", *svg);
  if (auto csv = args.one("--csv")) outputs.emplace_back("--csv", *csv);
  check_outputs(args.files, outputs);

  const std::string& file = args.files[0];
  request.section = read_section(file);
  const BUnit b = b_given.value_or(cli::default_b_unit(request.section.english));
  request.b = b;
  show_warnings(err, file, request.section,
                std::find(request.quantities.begin(), request.quantities.end(), Quantity::oz) != request.quantities.end());
  check_quantities(file, request.section, request.quantities);
  const LengthUnit unit{request.section.english};
  request.at = at_points(args, unit);
  check_circuits(request.section, request.circuits);

  PhasingResult result;
  {
    StopOnInterrupt interrupt;
    request.stop = &interrupt.stop();
    Progress progress(err, stderr_is_terminal(), "phasing");
    result = search_phasings(request, &progress);
  }

  // What was tried.
  const bool all_six =
      std::all_of(result.assignments.begin(), result.assignments.end(), [](std::size_t n) { return n == 6; });
  out << file << ": " << request.circuits.size() << (request.circuits.size() == 1 ? " circuit, " : " circuits, ")
      << result.total << " arrangements";
  if (all_six) out << " (6^" << request.circuits.size() << ")";
  out << ".\n";
  if (result.relabellings > 1)
    out << "One relabelling of the phases applied to all circuits at once (" << result.relabellings
        << " of them: turning or mirroring every phasor alike) leaves every magnitude unchanged,\n"
        << "so arrangements that differ only by one are counted once: " << result.distinct << " distinct.\n";
  else
    out << "No relabelling of the phases leaves every magnitude unchanged: all " << result.distinct
        << " are distinct.\n";
  out << "Scored by the largest value over the points (";
  for (std::size_t p = 0; p < request.at.size(); ++p)
    out << (p ? ", " : "") << distance_text(request.at[p], unit) << ' ' << unit.label();
  out << ")" << (result.fast_ranking ? ", ranked by phasor superposition; every value listed is the engine's" : "")
      << ".\n";
  if (result.stopped && result.examined < result.distinct)
    out << "Stopped by Ctrl-C after " << result.examined << " of " << result.distinct
        << " distinct arrangements: the best of those.\n";
  else if (result.stopped)
    out << "Stopped by Ctrl-C while the engine evaluated the best: " << result.evaluated << " of "
        << result.candidates << " evaluated, the best of those.\n";
  const bool front = request.quantities.size() > 1;
  out << (front ? "The trade-off front: arrangements no other beats on every quantity, by "
                : "The best " + std::to_string(result.listed.size()) + " by ")
      << name(request.quantities[0]) << (front ? " first" : "") << ".\n\n";

  // The table: the arrangement as the given one first, then the listed.
  std::vector<Column> columns = {{"rank", "", true}};
  std::vector<int> groups;
  for (const auto& circuit : request.circuits)
    for (int g : circuit) groups.push_back(g);
  std::vector<std::string> group_names;  // "1 L1": number and name
  for (int g : groups) {
    std::string group_name = request.section.groups[static_cast<std::size_t>(g)].name;
    while (!group_name.empty() && group_name.back() == ' ') group_name.pop_back();
    group_names.push_back(std::to_string(g + 1) + (group_name.empty() ? "" : " " + group_name));
    columns.push_back({group_names.back(), "deg"});
  }
  for (Quantity q : request.quantities) {
    for (float x : request.at)
      columns.push_back({std::string(name(q)) + " at " + distance_text(x, unit), std::string(unit_label(q, b))});
    if (request.at.size() > 1) columns.push_back({std::string(name(q)) + " max", std::string(unit_label(q, b))});
  }
  Table table(columns);
  auto add = [&](const std::string& label, const Ranked& r) {
    std::vector<Cell> row = {Table::text(label)};
    for (int g : groups) row.push_back({angle_text(r.section.groups[static_cast<std::size_t>(g)].phase),
                                        cli::round_trip_text(r.section.groups[static_cast<std::size_t>(g)].phase)});
    for (std::size_t q = 0; q < request.quantities.size(); ++q) {
      const int d = decimals(request.quantities[q], b);
      for (float v : r.values[q]) row.push_back(Table::number(v, d));
      if (request.at.size() > 1) row.push_back(Table::number(r.scores[q], d));
    }
    table.add_row(std::move(row));
  };
  add("given", result.original);
  for (std::size_t i = 0; i < result.listed.size(); ++i) add(std::to_string(i + 1), result.listed[i]);
  out << table.aligned();

  std::vector<std::pair<std::string, std::string>> files;
  if (auto o = args.one("-o")) {
    if (!result.listed.empty()) {
      files.emplace_back(*o, result.listed[0].file_text);
    } else {
      out << "-o " << *o << " not written: stopped before any arrangement was scored.\n";
    }
  }
  if (auto svg = args.one("--svg")) {
    ProfilesPicture picture;
    picture.title = "Phasing of " + short_name(file) + ": as given and best";
    picture.quantities = request.quantities;
    picture.distance_unit = unit.label();
    picture.b = b;
    // The best named by its arrangement: each group beside its angle (on a
    // line of many circuits, only the groups whose angle it changes).
    std::string best = "best (rank 1)";
    if (!result.listed.empty()) {
      std::string changed;
      for (std::size_t k = 0; k < groups.size(); ++k) {
        const auto g = static_cast<std::size_t>(groups[k]);
        const float angle = result.listed[0].section.groups[g].phase;
        if (groups.size() > 9 && angle == result.original.section.groups[g].phase) continue;
        changed += (changed.empty() ? ": " : ", ") + group_names[k] + " " + angle_text(angle) + "\u00B0";
      }
      best += changed.empty() ? ": as given" : changed;
    }
    picture.sections = {"as given", best};
    std::vector<float> xs = request.section.lateral_points();
    float low = *std::min_element(request.at.begin(), request.at.end());
    float high = *std::max_element(request.at.begin(), request.at.end());
    if (xs.size() < 2) {
      const float span = std::max(high - low, 30.0f);
      xs.clear();
      for (int i = 0; i <= 60; ++i) xs.push_back(low - span / 2 + span * 2 * static_cast<float>(i) / 60);
    }
    for (float x : xs) picture.xs.push_back(unit.from_metres(x));
    for (float x : request.at) picture.marks.push_back(unit.from_metres(x));
    picture.values.assign(request.quantities.size(), {});
    std::vector<const brenlow::CrossSection*> shown = {&result.original.section};
    if (!result.listed.empty()) shown.push_back(&result.listed[0].section);
    for (const brenlow::CrossSection* s : shown) {
      const brenlow::Evaluation run(*s);
      const auto values = values_at(run, request.quantities, xs, b);
      for (std::size_t q = 0; q < request.quantities.size(); ++q) picture.values[q].push_back(values[q]);
    }
    files.emplace_back(*svg, profiles_svg(picture));
  }
  if (auto csv = args.one("--csv")) files.emplace_back(*csv, table.csv());
  write_outputs(files, out);
  return result.stopped ? interrupted_status : 0;
}

}  // namespace study
