// tesk31-study height: the smallest common raise that meets every limit.
#include <cmath>

#include "cli/numbers.hpp"
#include "limits/comply.hpp"
#include "study/commands.hpp"
#include "study/height.hpp"
#include "study/progress.hpp"
#include "study/table.hpp"

namespace study {

namespace {

// A limit set's limits that apply to the line at its frequency, each at
// every point; those that do not apply are named, and why.
void add_set(std::vector<Limit>& out, const std::string& text, const brenlow::CrossSection& section, int frequency,
             BUnit b, std::ostream& err) {
  limits::LimitSet set;
  try {
    set = limits::limit_set(text);
  } catch (const limits::LimitError& e) {
    throw UsageError("--limit needs Q=VALUE or a limit set: " + std::string(e.what()));
  }
  const std::size_t before = out.size();
  for (const limits::Limit& l : set.limits) {
    const limits::Applicability a = limits::applicability(l, section, frequency);
    if (a.quantities.empty())
      err << "tesk31-study height: " << set.name << ": " << name(l.quantity) << " <= " << limits::given_text(l) << " ("
          << limits::where_name(l.where) << ", " << limits::frequency_name(l.frequency) << ") does not apply: " << a.reason
          << '\n';
    for (Quantity q : a.quantities) out.push_back({q, static_cast<float>(limits::shown_limit(l, b))});
  }
  if (out.size() == before) throw StudyError("--limit " + text + ": no limit of the set applies to this line");
}

std::vector<Limit> limits_option(const Arguments& args, const brenlow::CrossSection& section, int frequency, BUnit b,
                                 std::ostream& err) {
  std::vector<Limit> out;
  for (const std::string& text : args.all("--limit")) {
    const std::size_t eq = text.find('=');
    if (eq == std::string::npos) {
      add_set(out, text, section, frequency, b, err);
      continue;
    }
    const std::optional<Quantity> q = parse_quantity(text.substr(0, eq));
    if (!q)
      throw UsageError("--limit: unknown quantity \"" + text.substr(0, eq) +
                       "\" (" + std::string(quantity_names()) + ")");
    out.push_back({*q, parse_number("--limit " + std::string(name(*q)), text.substr(eq + 1))});
  }
  if (out.empty()) throw UsageError("no limit given (--limit Q=VALUE)");
  return out;
}

// A limit as given: the quantity's decimals, more when they would round it
// (E=0.0005 is not "E <= 0.001"), the shortest exact text when no fixed
// decimals up to nine hold it.
std::string limit_text(float value, int decimals) {
  for (int d = decimals; d <= 9; ++d) {
    const std::string text = fixed(value, d);
    const std::optional<double> back = cli::parse_real(text);
    if (back && static_cast<float>(*back) == value) return text;
  }
  return cli::round_trip_text(value);
}

}  // namespace

int height_command(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  const Arguments args =
      Arguments::parse(argv, {"--groups", "--limit", "--at", "-o", "--csv", "--b-unit", "--frequency"});
  const std::optional<BUnit> b_given = b_unit_given(args);
  if (args.files.size() != 1)
    throw UsageError(args.files.empty() ? "no data file named" : "one data file only, not " + std::to_string(args.files.size()));
  HeightRequest request;
  if (args.all("--limit").empty()) throw UsageError("no limit given (--limit Q=VALUE or --limit SET)");
  const int frequency = frequency_option(args);
  if (args.all("--at").empty()) throw UsageError("no point given (--at X, in the data file's unit)");
  if (auto groups = args.one("--groups")) request.groups = parse_groups("--groups", *groups);
  std::vector<std::pair<std::string, std::string>> outputs;
  if (auto o = args.one("-o")) outputs.emplace_back("-o", *o);
  if (auto csv = args.one("--csv")) outputs.emplace_back("--csv", *csv);
  check_outputs(args.files, outputs);

  const std::string& file = args.files[0];
  request.section = read_section(file);
  const BUnit b = b_given.value_or(cli::default_b_unit(request.section.english));
  request.b = b;
  request.limits = limits_option(args, request.section, frequency, b, err);
  bool ozone_limit = false;
  for (const Limit& limit : request.limits) ozone_limit = ozone_limit || limit.quantity == Quantity::oz;
  show_warnings(err, file, request.section, ozone_limit);
  std::vector<Quantity> limited;
  for (const Limit& limit : request.limits) limited.push_back(limit.quantity);
  check_quantities(file, request.section, limited);
  if (ozone_limit && without_wind(request.section)) throw StudyError("OZ limit: " + std::string(brenlow::no_wind_note));
  const LengthUnit unit{request.section.english};
  request.at = at_points(args, unit);

  HeightResult result;
  {
    StopOnInterrupt interrupt;
    request.stop = &interrupt.stop();
    Progress progress(err, stderr_is_terminal(), "height");
    result = search_height(request, &progress);
  }

  std::string which = "every group";
  if (!request.groups.empty()) {
    which = "groups ";
    for (std::size_t i = 0; i < request.groups.size(); ++i) which += (i ? "," : "") + std::to_string(request.groups[i] + 1);
  }
  const int raise_decimals = 2;
  if (result.stopped) {
    out << file << ": stopped by Ctrl-C before a raise of " << which << " met every limit.\n";
  } else if (!result.found) {
    out << file << ": no raise of " << which << " up to 1000 m ("
        << fixed(unit.from_metres(largest_raise_metres), raise_decimals) << " " << unit.label()
        << ") meets every limit at every point.\n";
  } else if (result.steps == 0) {
    out << file << ": every limit is met already at every point: raise 0 " << unit.label() << ".\n";
  } else {
    out << file << ": raise " << which << " by " << fixed(result.raise, raise_decimals) << " " << unit.label()
        << " (to " << fixed(raise_resolution(unit), 2) << " " << unit.label() << ") to meet every limit at every point.\n";
  }
  if (!result.unwritable.empty())
    out << "The raised line cannot be written as a data file (" << result.unwritable
        << "); the values are those of the line raised in memory.\n";
  out << '\n';

  std::vector<Column> columns = {{"limit", "", true}, {"x", std::string(unit.label())}, {"as given", ""}};
  if (result.found) columns.push_back({"raised", ""});
  columns.push_back({"raise", std::string(unit.label())});
  Table table(columns);
  for (std::size_t l = 0; l < request.limits.size(); ++l) {
    const Limit& limit = request.limits[l];
    const int d = decimals(limit.quantity, b);
    const std::string label = std::string(name(limit.quantity)) + " <= " + limit_text(limit.value, d) + " " +
                              std::string(unit_label(limit.quantity, b));
    for (std::size_t p = 0; p < request.at.size(); ++p) {
      std::vector<Cell> row = {Table::text(label), Table::number(unit.from_metres(request.at[p]), 1),
                               value_cell(result.before[l][p], limit.quantity, b, request.section)};
      if (result.found) row.push_back(value_cell(result.after[l][p], limit.quantity, b, result.raised));
      row.push_back(result.found ? Table::number(result.raise, raise_decimals) : Table::text("none"));
      table.add_row(std::move(row));
    }
  }
  out << table.aligned();

  std::vector<std::pair<std::string, std::string>> files;
  if (auto o = args.one("-o")) {
    if (result.found && result.unwritable.empty()) {
      files.emplace_back(*o, result.file_text);
    } else {
      out << "-o " << *o << " not written: " << (result.found ? "no data file holds the raised line" : "no raise met the limits")
          << ".\n";
      if (result.found) return 2;
    }
  }
  if (auto csv = args.one("--csv")) files.emplace_back(*csv, table.csv());
  write_outputs(files, out);
  if (result.stopped) return interrupted_status;
  return result.found ? 0 : 1;
}

}  // namespace study
