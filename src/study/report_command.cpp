// tesk31-study report: the study report of one data file as one HTML page,
// and as PDF through headless Chromium when asked.

#include <cmath>
#include <cstdlib>
#include <ctime>

#include "cli/version.hpp"
#include "study/commands.hpp"
#include "study/pdf.hpp"
#include "study/report.hpp"

namespace study {

namespace {

// The date and time of the run, in UTC.
std::string run_date() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
#ifdef _WIN32
  utc = *std::gmtime(&now);  // the C library's own for each thread there
#else
  gmtime_r(&now, &utc);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &utc);
  return text;
}

// --edge X (the edges at -X and +X) or --edge LEFT,RIGHT, in the file's
// unit, returned in metres.
std::pair<float, float> edges_option(const Arguments& args, const LengthUnit& unit) {
  const std::optional<std::string> text = args.one("--edge");
  if (!text) throw UsageError("no right-of-way given (--edge X, or --edge LEFT,RIGHT, in the data file's unit)");
  const std::vector<std::string> items = split_commas(*text);
  if (items.size() > 2) throw UsageError("--edge takes X or LEFT,RIGHT, not \"" + *text + "\"");
  float left = parse_number("--edge", items[0]), right = 0;
  if (items.size() == 1) {
    if (!(left > 0)) throw UsageError("--edge X needs a distance above 0, not \"" + *text + "\"");
    right = left;
    left = -left;
  } else {
    right = parse_number("--edge", items[1]);
  }
  check_distance("--edge", left, unit);
  check_distance("--edge", right, unit);
  if (!(left < right)) throw UsageError("--edge LEFT,RIGHT needs LEFT below RIGHT, not \"" + *text + "\"");
  return {unit.to_metres(left), unit.to_metres(right)};
}

}  // namespace

int report_command(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  const Arguments args = Arguments::parse(
      argv, {"-o", "--edge", "--frequency", "--from", "--to", "--step", "--b-unit", "--pdf", "--limits"});
  const std::optional<BUnit> b_given = b_unit_given(args);
  if (args.files.empty()) throw UsageError("no data file named");
  if (args.files.size() > 1) throw UsageError("one data file a report (" + std::to_string(args.files.size()) + " named)");
  const std::optional<std::string> html = args.one("-o");
  if (!html) throw UsageError("no report file named (-o REPORT.html)");
  std::vector<std::pair<std::string, std::string>> outputs = {{"-o", *html}};
  const std::optional<std::string> pdf = args.one("--pdf");
  if (pdf) outputs.emplace_back("--pdf", *pdf);
  check_outputs(args.files, outputs);
  if (args.has("--limits")) throw UsageError("--limits: no limit sets in this build");
  int frequency = 60;
  if (const auto f = args.one("--frequency")) frequency = static_cast<int>(parse_count("--frequency", *f, 50, 60));
  if (frequency != 50 && frequency != 60) throw UsageError("--frequency needs 50 or 60");
  std::optional<std::string> browser;
  if (pdf) {
    const char* path = std::getenv("PATH");
    browser = find_chromium(path ? path : "");
    if (!browser)
      throw StudyError("--pdf " + *pdf + ": no Chromium (chromium or chromium-browser) on the PATH to print with; "
                       "the HTML report prints to PDF from any browser");
  }

  ReportRequest request;
  request.file = args.files[0];
  request.section = read_section(args.files[0]);
  const LengthUnit unit{request.section.english};
  const auto [left, right] = edges_option(args, unit);
  request.left = left;
  request.right = right;
  request.b = b_given.value_or(cli::default_b_unit(request.section.english));
  request.frequency = frequency;
  request.xs = range_given(args) ? range_option(args, unit) : default_profile_points(request.section, left, right);
  request.version = std::string(cli::version());
  request.date = run_date();
  show_warnings(err, args.files[0], request.section, true);

  write_text_file_whole(*html, report_html(request));
  out << "wrote " << *html << '\n';
  if (pdf) {
    print_to_pdf(*browser, *html, *pdf);
    out << "wrote " << *pdf << '\n';
  }
  return 0;
}

}  // namespace study
