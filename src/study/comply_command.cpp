// tesk31-study comply: each data file against a limit set, at the edges of
// the right-of-way, within it and anywhere.
#include <cmath>

#include "cli/numbers.hpp"
#include "limits/comply.hpp"
#include "study/commands.hpp"
#include "study/table.hpp"

namespace study {

limits::Edges edges_option(const std::string& text, const LengthUnit& unit) {
  const std::vector<std::string> items = split_commas(text);
  if (items.size() > 2) throw UsageError("--edge needs X or LEFT,RIGHT, not \"" + text + "\"");
  limits::Edges edges;
  if (items.size() == 1) {
    const float x = parse_number("--edge", items[0]);
    if (!(x > 0)) throw UsageError("--edge X puts the edges at -X and X: X must be above 0, not " + items[0]);
    check_distance("--edge", x, unit);
    edges = {-x, x};
  } else {
    edges = {parse_number("--edge", items[0]), parse_number("--edge", items[1])};
    check_distance("--edge", edges.left, unit);
    check_distance("--edge", edges.right, unit);
    if (!(edges.left < edges.right))
      throw UsageError("--edge LEFT,RIGHT: the right edge must lie right of the left, not \"" + text + "\"");
  }
  return {unit.to_metres(edges.left), unit.to_metres(edges.right)};
}

namespace {

std::string kind_text(const limits::Compliance& c) {
  if (c.line_ac && c.line_dc) return "hybrid line (AC phases at " + std::to_string(c.frequency) + " Hz, DC poles)";
  if (c.line_dc) return "DC line";
  if (c.line_ac) return "AC line at " + std::to_string(c.frequency) + " Hz";
  return "line without energized groups";
}

}  // namespace

int comply_command(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  const Arguments args =
      Arguments::parse(argv, {"--limits", "--edge", "--frequency", "--csv", "--json", "--b-unit"});
  const std::optional<BUnit> b_given = b_unit_given(args);
  if (args.files.empty()) throw UsageError("no data file named");
  const std::optional<std::string> set_name = args.one("--limits");
  if (!set_name) throw UsageError("no limit set given (--limits NAME or --limits FILE)");
  const std::optional<std::string> edge = args.one("--edge");
  if (!edge) throw UsageError("no right-of-way given (--edge X or --edge LEFT,RIGHT, in the data file's unit)");
  const int frequency = frequency_option(args);
  std::vector<std::pair<std::string, std::string>> outputs;
  if (auto csv = args.one("--csv")) outputs.emplace_back("--csv", *csv);
  if (auto json = args.one("--json")) outputs.emplace_back("--json", *json);
  std::vector<std::string> inputs = args.files;
  if (!limits::shipped_set(*set_name)) inputs.push_back(*set_name);  // a set file, not to be overwritten
  check_outputs(inputs, outputs);

  limits::LimitSet set;
  try {
    set = limits::limit_set(*set_name);
  } catch (const limits::LimitError& e) {
    throw StudyError(std::string("--limits: ") + e.what());
  }
  std::vector<brenlow::CrossSection> sections;
  for (const std::string& file : args.files) sections.push_back(read_section(file));
  std::vector<limits::Edges> edges;
  for (const brenlow::CrossSection& s : sections) edges.push_back(edges_option(*edge, LengthUnit{s.english}));
  const BUnit b = b_given.value_or(cli::default_b_unit(sections[0].english));
  bool ozone = false;
  for (const limits::Limit& l : set.limits) ozone = ozone || l.quantity == Quantity::oz;
  for (std::size_t f = 0; f < sections.size(); ++f) show_warnings(err, args.files[f], sections[f], ozone);

  bool mixed = false;
  for (const auto& s : sections) mixed = mixed || s.english != sections[0].english;
  out << "limits: " << set.name << (set.title.empty() ? "" : " (" + set.title + ")") << '\n';
  Table table({{"file", "", true},
               {"line voltage", "kV"},
               {"line frequency", "Hz"},
               {"quantity", "", true},
               {"judged", "", true},
               {"where", "", true},
               {"frequency", "", true},
               {"class", "", true},
               {"limit", ""},
               {"value", ""},
               {"unit", "", true},
               {"x", mixed ? "" : std::string(LengthUnit{sections[0].english}.label()), mixed},
               {"at", "", true},
               {"margin", ""},
               {"result", "", true},
               {"note", "", true},
               {"source", "", true}});
  std::vector<std::string> notes, sources;
  // A note or source shown as its number, written out below the table.
  const auto numbered = [](std::vector<std::string>& list, const std::string& text) {
    std::size_t i = 0;
    while (i < list.size() && list[i] != text) ++i;
    if (i == list.size()) list.push_back(text);
    std::string mark = "[";
    mark += std::to_string(i + 1);
    mark += ']';
    return mark;
  };
  std::string json = "[";
  bool fails = false, nothing_applies = false;
  limits::ComplyOptions options;
  options.frequency = frequency;
  options.b = b;
  for (std::size_t f = 0; f < sections.size(); ++f) {
    const std::string& file = args.files[f];
    const LengthUnit unit{sections[f].english};
    limits::Compliance c;
    try {
      c = limits::comply(sections[f], set, edges[f], options);
    } catch (const limits::LimitError& e) {
      throw StudyError(file + ": " + e.what());
    }
    out << file << ": " << kind_text(c) << ", " << fixed(c.line_kv, 1)
        << " kV (largest line-to-line or pole voltage); right-of-way from " << distance_text(c.edges.left, unit)
        << " to " << distance_text(c.edges.right, unit) << " " << unit.label() << '\n';
    for (const limits::Row& r : c.rows) {
      const bool applies = r.verdict != limits::Verdict::not_applicable;
      const int d = decimals(r.limit.quantity, b);
      const Cell none{"-", ""};
      std::string x = distance_text(r.x, unit);
      if (mixed) x.append(" ").append(unit.label());
      table.add_row({Table::text(file), Table::number(static_cast<float>(c.line_kv), 1), Table::count(c.frequency),
                     Table::text(std::string(name(r.limit.quantity))),
                     applies ? Table::text(std::string(name(r.evaluated))) : none,
                     Table::text(std::string(limits::where_name(r.limit.where))),
                     Table::text(std::string(limits::frequency_name(r.limit.frequency))),
                     r.voltage_class.empty() ? none : Table::text(r.voltage_class),
                     Table::number(static_cast<float>(r.limit_value), d),
                     applies ? Table::number(static_cast<float>(r.value), d) : none, Table::text(r.unit),
                     applies ? Cell{x, cli::round_trip_text(unit.from_metres(r.x))} : none, applies ? Table::text(r.at) : none,
                     !applies ? none
                     : r.margin_db ? Cell{fixed(r.margin, 1) + " dB", cli::round_trip_text(static_cast<float>(r.margin)) + " dB"}
                                   : Table::number(static_cast<float>(r.margin), 3),
                     Table::text(std::string(limits::verdict_name(r.verdict))),
                     r.reason.empty() ? none : Cell{numbered(notes, r.reason), r.reason},
                     r.limit.source.empty() ? none : Cell{numbered(sources, r.limit.source), r.limit.source}});
    }
    json += (f ? ",\n" : "\n") + limits::compliance_json(c, unit, file);
    while (json.back() == '\n') json.pop_back();
    fails = fails || c.any_fails();
    if (!c.any_applies()) {
      err << "tesk31-study comply: " << file << ": no limit of " << set.name
          << " applies to this line: nothing is shown to hold\n";
      nothing_applies = true;
    }
  }
  json += "\n]\n";
  out << '\n' << table.aligned();
  if (!notes.empty()) out << "\nNot applicable:\n";
  for (std::size_t i = 0; i < notes.size(); ++i) out << "  [" << i + 1 << "] " << notes[i] << '\n';
  if (!sources.empty()) out << "\nSources:\n";
  for (std::size_t i = 0; i < sources.size(); ++i) out << "  [" << i + 1 << "] " << sources[i] << '\n';
  out << "\nB in " << cli::b_unit_label(b) << "; margin: value / limit, value - limit for a level in dB; within the right-of-way and anywhere the "
      << "largest value, refined to 0.1 %.\n";

  std::vector<std::pair<std::string, std::string>> files;
  if (auto csv = args.one("--csv")) files.emplace_back(*csv, table.csv());
  if (auto j = args.one("--json")) files.emplace_back(*j, json);
  write_outputs(files, out);
  if (fails) return 1;
  return nothing_applies ? 2 : 0;
}

}  // namespace study
