#include "study/command.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>
#include <set>

#include "cli/console.hpp"
#include "format/record.hpp"
#include "study/arguments.hpp"
#include "study/commands.hpp"
#include "study/ion_flow_values.hpp"
#include "study/pictures.hpp"
#include "study/section_tools.hpp"
#include "study/table.hpp"

namespace study {

namespace {

const char* const usage =
    "usage: tesk31-study SUBCOMMAND DATA-FILE... [options]\n"
    "  edges A.dat [B.dat ...] --at X [--at X ...] [--svg FILE]\n"
    "      every quantity and the largest surface gradient of each file at each point\n"
    "  compare A.dat B.dat ... [--quantity Q ...] [--from X --to X --step S] [--svg FILE]\n"
    "      the profiles of several cross sections over one another\n"
    "  phasing LINE.dat --circuit i,j,k [--circuit ...] --minimize Q[,Q...] --at X [--at X ...]\n"
    "          [--top N] [--threads N] [--time-limit S] [-o BEST.dat] [--svg FILE]\n"
    "      every assignment of each circuit's phase angles to its groups, best first\n"
    "      (with two or more quantities, those no other beats on every quantity)\n"
    "  height LINE.dat [--groups LIST] --limit Q=VALUE|SET [--limit ...] --at X [--at X ...] [-o RAISED.dat]\n"
    "          [--frequency 50|60]\n"
    "      the smallest common raise of the groups (default: all) meeting every limit\n"
    "  map LINE.dat --quantity E|B|... [--x FROM:TO] [--y FROM:TO] [--step S] --svg FILE\n"
    "      the field over the cross section, with contour lines\n"
    "  run FILE.dat|FOLDER ... --out DIR [--jobs N] [--list FILE|-]\n"
    "      each data file (a folder: its *.dat files) as tesk31 runs it, several at once:\n"
    "      DIR/NAME.prt, and DIR/NAME.dif when the combined report is selected; one line per\n"
    "      failed file, status 2 if any (--list: more names, one a line, from a file or -)\n"
    "  span LINE.dat --length L --sag S[,S...] [--earth-sag S] [--spans N] [--along Y ...]\n"
    "          (--at X ... | --from A --to B --step C) [--height H] [--map plan.svg|side.svg]\n"
    "          [--quantity E|B] [--side-at X] [--svg FILE]\n"
    "      E and B beside a line of sagging level spans (3-D), against the cross section's\n"
    "      (B in uT for a metric file, mG for an English one, unless --b-unit)\n"
    "  ionflow LINE.dat (--at X ... | --from A --to B --step C) [--roughness M] [--air-density D]\n"
    "          [--onset-gradient KV/CM[,...]] [--onset-voltage KV[,...]] [--mobility-positive K]\n"
    "          [--mobility-negative K] [--lines N] [--svg FILE]\n"
    "          [--method flux-tracing|full] [--wind V] [--recombination R] [--element-size F]\n"
    "          [--map FILE.svg]\n"
    "      the total field (kV/m), ion current density (nA/m2) and space charge (nC/m3) at the\n"
    "      ground under DC poles in corona, and each pole's onset, current and loss; --method\n"
    "      full solves the coupled equations (wind in m/s towards +x, recombination in m3/s,\n"
    "      the mesh's relative element size, the ion densities' map)\n"
    "  comply LINE.dat ... --limits SET|FILE --edge X|LEFT,RIGHT [--frequency 50|60] [--json FILE]\n"
    "      each limit of the set (shipped: florida, icnirp-1998, icnirp-2010, ieee-c95.6-2002,\n"
    "      minnesota, new-york) at the right-of-way's edges, within it or anywhere: the deciding\n"
    "      value, where, the margin and PASS, FAIL or N/A; status 1 when a limit fails\n"
    "  report LINE.dat --edge X|LEFT,RIGHT -o REPORT.html [--limits SET|FILE] [--frequency 50|60]\n"
    "          [--pdf REPORT.pdf] [--from A --to B --step C]\n"
    "      the study report of the line as one self-contained HTML page: its data and drawing,\n"
    "      surface gradients, profiles across the right-of-way with the limits, the values at its\n"
    "      edges, the compliance table and what they assume (--pdf: printed by headless\n"
    "      Chromium, where it is installed)\n"
    "Every subcommand but run: --csv FILE writes the table as CSV; --b-unit uT|mG|G (default uT\n"
    "for a file in metric units, mG for one in English units).\n"
    "Quantities, in any case: E (ellipse maximum, kV/m), E-RES (resultant), B, B-RES, AN (rain\n"
    "L50, dB(A)), AN-FAIR, RI (rain L50 at the file's radio frequency, dB(uV/m)), RI-FAIR, TV,\n"
    "OZ (ppb), each at the file's height for it; rain is the default weather of AN and RI;\n"
    "E-TOTAL (kV/m) and J (nA/m2): the ion flow's total field and ion current at the ground\n"
    "under DC poles in corona (edges shows them for a line with DC poles).\n"
    "The AC phases' and the DC poles' fields apart: E-AC, E-AC-RES, E-DC, B-AC, B-AC-RES, B-DC;\n"
    "a hybrid line (AC phases and DC poles) has only these, its static and alternating fields\n"
    "never add as phasors (E, B refused; its lists show the parts).\n"
    "Distances, heights and limits are in the data file's unit (m, or ft for an English file).\n";

}  // namespace

int run_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  for (const std::string& arg : args)
    if (arg == "-h" || arg == "--help") {
      out << usage;
      return 0;
    }
  if (args.empty()) {
    err << "tesk31-study: no subcommand\n" << usage;
    return 2;
  }
  const std::string& sub = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  try {
    if (sub == "edges") return edges_command(rest, out, err);
    if (sub == "compare") return compare_command(rest, out, err);
    if (sub == "phasing") return phasing_command(rest, out, err);
    if (sub == "height") return height_command(rest, out, err);
    if (sub == "map") return map_command(rest, out, err);
    if (sub == "run") return run_files_command(rest, out, err);
    if (sub == "span") return span_command(rest, out, err);
    if (sub == "ionflow") return ionflow_command(rest, out, err);
    if (sub == "comply") return comply_command(rest, out, err);
    if (sub == "report") return report_command(rest, out, err);
    err << "tesk31-study: unknown subcommand \"" << sub << "\"\n" << usage;
    return 2;
  } catch (const UsageError& e) {
    err << "tesk31-study " << sub << ": " << e.what() << "\n(tesk31-study --help shows the usage)\n";
    return 2;
  } catch (const StudyError& e) {
    err << "tesk31-study " << sub << ": " << e.what() << '\n';
    return 2;
  } catch (const brenlow::Error& e) {
    err << "tesk31-study " << sub << ": " << e.what() << '\n';
    return 2;
  } catch (const std::bad_alloc&) {
    err << "tesk31-study " << sub << ": out of memory: the work asked for more memory than the system gives\n";
    return 2;
  } catch (const record::FileError& e) {
    err << "tesk31-study " << sub << ": " << e.what() << '\n';
    return 2;
  }
}

int run_on_console(const std::vector<std::string>& args) {
  // A closed standard output would hand its descriptor to the first file
  // the study writes, and the table would land in that file. Asking for the
  // position fails with EBADF only when the descriptor is closed.
  errno = 0;
  if (std::ftell(stdout) < 0 && errno == EBADF) {
    std::cerr << "tesk31-study: standard output: " << std::strerror(EBADF) << '\n';
    return 2;
  }
  cli::ConsoleBuffer console(stdout);
  std::ostream out(&console);
  const int status = run_command(args, out, std::cerr);
  if (console.finish()) return status;
  std::cerr << "tesk31-study: standard output: " << std::strerror(console.error) << '\n';
  return 2;
}

// ---------------------------------------------------------------------------

void write_outputs(const std::vector<std::pair<std::string, std::string>>& files, std::ostream& out) {
  for (const auto& [path, text] : files) {
    write_text_file(path, text);
    out << "wrote " << path << '\n';
  }
}

std::string distance_text(float metres, const LengthUnit& unit) { return fixed(unit.from_metres(metres), 1); }

namespace {

std::vector<Quantity> quantity_list(const Arguments& args, const std::string& option) {
  std::vector<Quantity> out;
  for (const std::string& text : args.all(option)) {
    for (const std::string& item : split_commas(text)) {
      const std::optional<Quantity> q = parse_quantity(item);
      if (!q)
        throw UsageError(option + ": unknown quantity \"" + item + "\" (" + std::string(quantity_names()) + ")");
      if (std::find(out.begin(), out.end(), *q) != out.end())
        throw UsageError(option + ": " + std::string(name(*q)) + " given twice");
      out.push_back(*q);
    }
  }
  return out;
}

std::string base_name(const std::string& path) {
#ifdef _WIN32
  const std::size_t slash = path.find_last_of("/\\:");  // C:\dir\line.dat, C:line.dat
#else
  const std::size_t slash = path.find_last_of('/');
#endif
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::vector<Quantity> quantities_option(const Arguments& args, const std::string& option) {
  return quantity_list(args, option);
}

std::string short_name(const std::string& path) { return base_name(path); }

// ---------------------------------------------------------------------------
// edges

// A hybrid line's fields in its parts (lines of one kind with it keep
// theirs); the ion flow's values beside the others when a file has DC poles.
std::vector<Quantity> edge_quantities(const std::vector<brenlow::CrossSection>& sections) {
  std::vector<Quantity> shown = default_quantities(sections);
  bool dc = false;
  for (const auto& s : sections) dc = dc || has_dc_pole(s);
  if (dc) shown.insert(shown.end(), ion_flow_quantities.begin(), ion_flow_quantities.end());
  return shown;
}

int edges_command(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  const Arguments args = Arguments::parse(argv, {"--at", "--svg", "--csv", "--b-unit"});
  const std::optional<BUnit> b_given = b_unit_given(args);
  if (args.files.empty()) throw UsageError("no data file named");
  if (args.all("--at").empty()) throw UsageError("no point given (--at X, in the data file's unit)");
  std::vector<std::pair<std::string, std::string>> outputs;
  if (auto svg = args.one("--svg")) outputs.emplace_back("--svg", *svg);
  if (auto csv = args.one("--csv")) outputs.emplace_back("--csv", *csv);
  check_outputs(args.files, outputs);

  std::vector<brenlow::CrossSection> sections;
  for (const std::string& file : args.files) sections.push_back(read_section(file));
  for (std::size_t f = 0; f < sections.size(); ++f) show_warnings(err, args.files[f], sections[f], true);
  // B in the first file's unit: uT for metric, mG for English.
  const BUnit b = b_given.value_or(cli::default_b_unit(sections[0].english));
  bool mixed = false;
  for (const auto& s : sections) mixed = mixed || s.english != sections[0].english;

  const std::vector<Quantity> shown = edge_quantities(sections);

  std::vector<Column> columns = {{"file", "", true},
                                 {"x", mixed ? "" : std::string(LengthUnit{sections[0].english}.label()), mixed}};
  for (Quantity q : shown) columns.push_back({std::string(name(q)), std::string(unit_label(q, b))});
  columns.push_back({"max gradient", "kV/cm"});
  Table table(columns);

  EdgesPicture picture;
  picture.title = mixed ? "Values at the points (x in each file's unit)" : "Values at the points";
  picture.quantities = shown;
  picture.b = b;
  picture.values.assign(shown.size(), {});
  picture.notes = panel_notes(picture.quantities, sections);
  for (std::size_t f = 0; f < sections.size(); ++f) {
    const LengthUnit unit{sections[f].english};
    const std::vector<float> xs = at_points(args, unit);
    const brenlow::Evaluation run(sections[f]);
    const float gradient = largest_gradient(run);
    // Mixed units: --at X is X m for one file and X ft for another, so each
    // file's bars say their unit and the groups carry the bare number.
    picture.files.push_back(base_name(args.files[f]) + (mixed ? ", x in " + std::string(unit.label()) : ""));
    for (std::size_t p = 0; p < xs.size(); ++p) {
      const brenlow::Point point = run.point(xs[p]);
      std::string x = distance_text(xs[p], unit);
      if (mixed) x += " " + std::string(unit.label());
      std::vector<Cell> row = {Table::text(args.files[f]), mixed ? Table::text(x) : Table::number(unit.from_metres(xs[p]), 1)};
      for (std::size_t q = 0; q < shown.size(); ++q) {
        const float v = value(run, point, shown[q], b);
        row.push_back(value_cell(v, shown[q], b, sections[f]));
        // A level not computed has no bar: the panel says whose.
        const std::string missing = "n/a (not computed): " + base_name(args.files[f]);
        if (row.back().shown == "n/a" && picture.notes[q].find(missing) == std::string::npos)
          picture.notes[q] += (picture.notes[q].empty() ? "" : "; ") + missing;
        if (picture.values[q].size() <= p) picture.values[q].resize(p + 1);
        picture.values[q][p].push_back(v);
      }
      row.push_back(Table::number(gradient, 2));
      table.add_row(std::move(row));
      if (f == 0) picture.points.push_back(distance_text(xs[p], unit) + (mixed ? "" : " " + std::string(unit.label())));
    }
  }
  out << table.aligned();
  std::vector<std::pair<std::string, std::string>> files;
  if (auto svg = args.one("--svg")) files.emplace_back(*svg, edges_svg(picture));
  if (auto csv = args.one("--csv")) files.emplace_back(*csv, table.csv());
  write_outputs(files, out);
  return 0;
}

// ---------------------------------------------------------------------------
// compare

int compare_command(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  const Arguments args =
      Arguments::parse(argv, {"--quantity", "--from", "--to", "--step", "--svg", "--csv", "--b-unit"});
  const std::optional<BUnit> b_given = b_unit_given(args);
  if (args.files.empty()) throw UsageError("no data file named");
  std::vector<Quantity> quantities = quantity_list(args, "--quantity");
  std::vector<std::pair<std::string, std::string>> outputs;
  if (auto svg = args.one("--svg")) outputs.emplace_back("--svg", *svg);
  if (auto csv = args.one("--csv")) outputs.emplace_back("--csv", *csv);
  check_outputs(args.files, outputs);
  const bool ranged = range_given(args);

  std::vector<brenlow::CrossSection> sections;
  for (const std::string& file : args.files) sections.push_back(read_section(file));
  if (quantities.empty())
    quantities = default_quantities(sections);  // one field of a hybrid line among them shows n/a
  else
    for (std::size_t f = 0; f < sections.size(); ++f) check_quantities(args.files[f], sections[f], quantities);
  const bool ozone_shown = std::find(quantities.begin(), quantities.end(), Quantity::oz) != quantities.end();
  for (std::size_t f = 0; f < sections.size(); ++f) show_warnings(err, args.files[f], sections[f], ozone_shown);
  const LengthUnit unit{sections[0].english};
  const BUnit b = b_given.value_or(cli::default_b_unit(sections[0].english));
  for (std::size_t f = 1; f < sections.size(); ++f)
    if (sections[f].english != sections[0].english)
      throw StudyError(args.files[f] + " is in " + (sections[f].english ? "feet" : "metres") + ", " +
                       args.files[0] + " in " + (sections[0].english ? "feet" : "metres") +
                       ": profiles are compared in one unit");

  // The points: the range given, else the first file's own lateral points.
  std::vector<float> xs;  // metres
  if (ranged) {
    xs = range_option(args, unit);
  } else {
    xs = sections[0].lateral_points();
    if (xs.empty()) throw StudyError(args.files[0] + " lists no lateral points: give --from, --to and --step");
  }

  // One row per point, a column per quantity and file: the files numbered
  // [1], [2], ... in the order given, named above the table.
  const bool several = sections.size() > 1;
  std::vector<Column> columns = {{"x", std::string(unit.label())}};
  for (Quantity q : quantities)
    for (std::size_t f = 0; f < sections.size(); ++f)
      columns.push_back({std::string(name(q)) + (several ? " [" + std::to_string(f + 1) + "]" : ""),
                         std::string(unit_label(q, b))});
  Table table(columns);
  for (std::size_t f = 0; f < sections.size(); ++f)
    out << "[" << f + 1 << "] " << args.files[f] << '\n';
  ProfilesPicture picture;
  picture.title = "Profiles compared";
  picture.quantities = quantities;
  picture.distance_unit = unit.label();
  picture.b = b;
  for (float x : xs) picture.xs.push_back(unit.from_metres(x));
  picture.values.assign(quantities.size(), {});
  picture.notes = panel_notes(quantities, sections);
  for (std::size_t f = 0; f < sections.size(); ++f) {
    const brenlow::Evaluation run(sections[f]);
    picture.sections.push_back(base_name(args.files[f]));
    const auto values = values_at(run, quantities, xs, b);
    for (std::size_t q = 0; q < quantities.size(); ++q) picture.values[q].push_back(values[q]);
  }
  for (std::size_t p = 0; p < xs.size(); ++p) {
    std::vector<Cell> row = {Table::number(unit.from_metres(xs[p]), 1)};
    for (std::size_t q = 0; q < quantities.size(); ++q)
      for (std::size_t f = 0; f < sections.size(); ++f)
        row.push_back(value_cell(picture.values[q][f][p], quantities[q], b, sections[f]));
    table.add_row(std::move(row));
  }
  out << table.aligned();
  std::vector<std::pair<std::string, std::string>> files;
  if (auto svg = args.one("--svg")) files.emplace_back(*svg, profiles_svg(picture));
  if (auto csv = args.one("--csv")) files.emplace_back(*csv, table.csv());
  write_outputs(files, out);
  return 0;
}

}  // namespace study
