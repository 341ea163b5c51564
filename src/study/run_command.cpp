// tesk31-study run: many data files, each run as tesk31 runs it (the same
// run code, in this process), several at once.
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

#include "driver/program.hpp"
#include "format/file_system.hpp"
#include "study/commands.hpp"
#include "study/progress.hpp"

namespace study {

namespace {

namespace fs = std::filesystem;

// The names of a list: one a line, blank lines skipped, a carriage return
// before the line end dropped.
void read_names(std::istream& in, const std::string& source, std::vector<std::string>& names) {
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") != std::string::npos) names.push_back(line);
  }
  if (in.bad()) throw StudyError(source + ": cannot read the list of data files");
}

std::vector<std::string> data_files(const Arguments& args) {
  std::vector<std::string> names = args.files;
  for (const std::string& list : args.all("--list")) {
    if (list == "-") {
      read_names(std::cin, "standard input", names);
      continue;
    }
    std::ifstream in = record::input_stream(list);
    if (!in) throw StudyError(list + ": cannot open the list of data files");
    read_names(in, list, names);
  }
  if (names.empty()) throw UsageError("no data file named (FILE.dat ... or --list FILE)");
  return names;
}

// The print file and DIF file of each data file: DIR/NAME.prt and
// DIR/NAME.dif, NAME the data file's name without directories and
// extension. Two data files of one NAME would write over each other.
struct Job {
  std::string data, print, dif;
};

std::vector<Job> jobs_for(const std::vector<std::string>& files, const fs::path& dir) {
  std::vector<Job> jobs;
  std::map<std::string, std::string> taken;  // NAME -> the data file that has it
  for (const std::string& file : files) {
    const std::string name = record::name_of(record::file_path(file).stem());
    if (name.empty()) throw UsageError("\"" + file + "\" names no file");
    const auto output = [&](const char* extension) { return record::name_of(dir / record::file_path(name + extension)); };
    const auto [it, fresh] = taken.emplace(name, file);
    if (!fresh)
      throw UsageError("\"" + it->second + "\" and \"" + file + "\" would both write " + output(".prt"));
    jobs.push_back({file, output(".prt"), output(".dif")});
    record::refuse_device_name(jobs.back().print);  // aux.dat: the auxiliary device of Windows
  }
  return jobs;
}

// One data file's run: tesk31's exit status, and what went wrong in one
// line (the error stream's lines and any ERROR line of the console), empty
// when nothing did.
struct Outcome {
  bool done = false;
  int status = 0;
  std::string trouble;
};

void add_part(std::string& line, std::string part, const char* separator) {
  const auto first = part.find_first_not_of(' ');
  if (first == std::string::npos) return;
  part.erase(0, first);
  while (!part.empty() && (part.back() == ' ' || part.back() == '\r')) part.pop_back();
  if (!line.empty()) line += separator;
  line += part;
}

Outcome run_one(const Job& job) {
  Outcome outcome;
  outcome.done = true;
  std::string console_text;
  std::ostringstream errors;
  try {
    record::Writer console = record::Writer::to_string(&console_text);
    std::istringstream no_answers;
    outcome.status = driver::run_program({job.data, job.print, job.dif}, no_answers, console, errors);
    console.close();
  } catch (const std::exception& failure) {
    outcome.status = 2;
    errors << "internal error: " << failure.what() << '\n';
  }
  std::istringstream lines(errors.str());
  std::string line;
  while (std::getline(lines, line)) add_part(outcome.trouble, line, ": ");
  std::istringstream console_lines(console_text);
  while (std::getline(console_lines, line))
    if (line.rfind(" ERROR-", 0) == 0) add_part(outcome.trouble, line, "; ");
  if (outcome.status != 0 && outcome.trouble.empty()) outcome.trouble = "failed";
  return outcome;
}

}  // namespace

int run_files_command(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  const Arguments args = Arguments::parse(argv, {"--out", "--jobs", "--list"});
  const auto dir_option = args.one("--out");
  if (!dir_option) throw UsageError("no output directory (--out DIR)");
  record::refuse_device_name(*dir_option);
  const fs::path dir = record::file_path(*dir_option);
  const std::vector<Job> jobs = jobs_for(data_files(args), dir);
  unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  if (auto jobs_option = args.one("--jobs")) threads = static_cast<unsigned>(parse_count("--jobs", *jobs_option, 1, 256));
  threads = static_cast<unsigned>(std::min<std::size_t>(threads, jobs.size()));

  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir)) throw StudyError(record::name_of(dir) + ": cannot make the output directory");

  std::vector<Outcome> outcomes(jobs.size());
  std::atomic<std::size_t> next{0};
  std::size_t finished = 0;
  std::mutex progress_lock;
  {
    StopOnInterrupt interrupt;
    const StopFlag& stop = interrupt.stop();
    Progress progress(err, stderr_is_terminal(), "run");
    const auto work = [&] {
      while (!stop.requested()) {
        const std::size_t i = next.fetch_add(1);
        if (i >= jobs.size()) break;
        outcomes[i] = run_one(jobs[i]);
        const std::lock_guard<std::mutex> hold(progress_lock);
        progress.update(++finished, jobs.size());
      }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
    work();
    for (std::thread& thread : pool) thread.join();
    progress.finish();
  }

  std::size_t failed = 0, not_run = 0;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    const Outcome& o = outcomes[i];
    if (!o.done) {
      ++not_run;
    } else if (!o.trouble.empty()) {
      ++failed;
      err << jobs[i].data << ": status " << o.status << ": " << o.trouble << '\n';
    }
  }
  const std::size_t run = jobs.size() - not_run;
  out << run << (run == 1 ? " data file" : " data files") << " run into " << record::name_of(dir) << ": " << run - failed
      << " written, " << failed << " failed";
  if (not_run > 0) out << ", " << not_run << " not run (stopped)";
  out << ".\n";
  if (not_run > 0) return interrupted_status;
  return failed > 0 ? 2 : 0;
}

}  // namespace study
