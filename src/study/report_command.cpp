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
  const std::optional<std::string> set_name = args.one("--limits");
  std::vector<std::string> inputs = args.files;
  if (set_name && !limits::shipped_set(*set_name)) inputs.push_back(*set_name);  // a set file, not to be overwritten
  check_outputs(inputs, outputs);
  const int frequency = frequency_option(args);
  const std::optional<std::string> edge = args.one("--edge");
  if (!edge) throw UsageError("no right-of-way given (--edge X or --edge LEFT,RIGHT, in the data file's unit)");
  std::optional<std::string> browser;
  if (pdf) {
    const char* path = std::getenv("PATH");
    browser = find_chromium(path ? path : "");
#ifdef _WIN32
    throw StudyError("--pdf " + *pdf + ": the Windows programs print no PDF; the HTML report prints to PDF from any "
                     "browser");
#endif
    if (!browser)
      throw StudyError("--pdf " + *pdf + ": no Chromium (chromium or chromium-browser) on the PATH to print with; "
                       "the HTML report prints to PDF from any browser");
  }

  std::optional<limits::LimitSet> set;
  if (set_name) try {
      set = limits::limit_set(*set_name);
    } catch (const limits::LimitError& e) {
      throw StudyError(std::string("--limits: ") + e.what());
    }

  ReportRequest request;
  request.file = args.files[0];
  request.section = read_section(args.files[0]);
  const LengthUnit unit{request.section.english};
  const limits::Edges edges = edges_option(*edge, unit);
  request.left = edges.left;
  request.right = edges.right;
  request.b = b_given.value_or(cli::default_b_unit(request.section.english));
  request.frequency = frequency;
  request.xs = range_given(args) ? range_option(args, unit)
                                 : default_profile_points(request.section, edges.left, edges.right);
  if (set) {
    limits::ComplyOptions options;
    options.frequency = frequency;
    options.b = request.b;
    try {
      request.compliance = limits::comply(request.section, *set, edges, options);
    } catch (const limits::LimitError& e) {
      throw StudyError(args.files[0] + ": " + e.what());
    }
  }
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
