// tesk31-study run: many data files, each run as tesk31 runs it (the same
// run code, in this process), several at once.
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <new>
#include <sstream>
#include <system_error>
#include <thread>

#include "cli/files.hpp"
#include "cli/text.hpp"
#include "cli/threads.hpp"
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

// A name that is a folder stands for the data files in it (not in its
// subfolders): those whose extension is .dat in any case, sorted by name.
void add_data_file(const std::string& name, std::vector<std::string>& names) {
  std::error_code ec;
  const fs::path folder = record::file_path(name);
  if (!fs::is_directory(folder, ec)) {
    names.push_back(name);
    return;
  }
  std::vector<std::string> found;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& path = it->path();
    std::error_code kind;
    if (cli::comparable_name(record::name_of(path.extension()), true) == ".DAT" && !fs::is_directory(path, kind))
      found.push_back(record::name_of(path));
  }
  if (ec) throw StudyError(name + ": cannot read the folder (" + ec.message() + ")");
  if (found.empty()) throw StudyError(name + ": the folder holds no data file (*.dat)");
  std::sort(found.begin(), found.end());
  names.insert(names.end(), found.begin(), found.end());
}

// The data files named on the command line and in the lists, in order.
std::vector<std::string> data_files(const Arguments& args) {
  std::vector<std::string> names;
  for (const std::string& file : args.files) add_data_file(file, names);
  for (const std::string& list : args.all("--list")) {
    std::vector<std::string> listed;
    if (list == "-") {
      read_names(std::cin, "standard input", listed);
    } else {
      std::ifstream in = record::input_stream(list);
      if (!in) throw StudyError(list + ": cannot open the list of data files");
      read_names(in, list, listed);
    }
    for (const std::string& file : listed) add_data_file(file, names);
  }
  if (names.empty()) throw UsageError("no data file named (FILE.dat ... or --list FILE)");
  return names;
}

// The print file and DIF file of each data file: DIR/NAME.prt and
// DIR/NAME.dif, NAME the data file's name without directories and
// extension. Two data files of one NAME (in any case where the system's
// names are blind to it) would write over each other.
struct Job {
  std::string data, print, dif;
};

std::vector<Job> jobs_for(const std::vector<std::string>& files, const fs::path& dir) {
  std::vector<Job> jobs;
  std::map<std::string, std::string> taken;  // NAME as compared -> the data file that has it
  for (const std::string& file : files) {
    const std::string name = record::name_of(record::file_path(file).stem());
    if (name.empty()) throw UsageError("\"" + file + "\" names no file");
    const auto output = [&](const char* extension) { return record::name_of(dir / record::file_path(name + extension)); };
    const auto [it, fresh] = taken.emplace(cli::comparable_name(name, cli::names_blind_to_case), file);
    if (!fresh)
      throw UsageError("\"" + it->second + "\" and \"" + file + "\" would both write " + output(".prt"));
    jobs.push_back({file, output(".prt"), output(".dif")});
    record::refuse_device_name(jobs.back().print);  // aux.dat: the auxiliary device of Windows
  }
  return jobs;
}

// Refuses, before any work, a run that would write over one of its inputs
// (a data file or a list of them), under any name: a hard or symbolic link,
// a name differing only in case where names are blind to it. One pass over
// the files' keys, however many there are.
void refuse_outputs_over_inputs(const std::vector<Job>& jobs, const std::vector<std::string>& lists) {
  std::map<std::string, std::string> inputs;  // key -> the input's name
  for (const Job& job : jobs) inputs.emplace(cli::file_key(job.data), job.data);
  for (const std::string& list : lists)
    if (list != "-") inputs.emplace(cli::file_key(list), list);
  std::map<std::string, std::string> outputs;
  for (const Job& job : jobs)
    for (const std::string* output : {&job.print, &job.dif}) {
      const std::string key = cli::file_key(*output);
      if (const auto it = inputs.find(key); it != inputs.end())
        throw StudyError(*output + " is the input " + it->second +
                         " under another name: it would be written over (nothing run)");
      if (const auto [it, fresh] = outputs.emplace(key, *output); !fresh)
        throw StudyError(*output + " and " + it->second + " are one file: one would be written over the other (nothing run)");
    }
}

// One data file's run: tesk31's exit status; what went wrong, in one line
// (the error stream's lines and any ERROR line of the console), for a
// failed file; the warnings of a written one (the error stream's lines and
// the console's WARNING lines); and the note of a DIF file of an earlier
// run taken away.
struct Outcome {
  bool done = false;
  int status = 0;
  std::string trouble;
  std::vector<std::string> warnings;
  std::string note;
};

void add_part(std::string& line, const std::string& part, const char* separator) {
  if (part.empty()) return;
  if (!line.empty()) line += separator;
  line += part;
}

// True for a file (or a link) at `path`, not a folder.
bool file_there(const std::string& path) {
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(record::file_path(path), ec);
  return !ec && fs::exists(status) && !fs::is_directory(status);
}

// A file's run owns its outputs. A DIF file of an earlier run goes before
// the run, so that after it a DIF file is there only when this run wrote
// one; a failed run's DIF file is unfinished and goes too, and so does its
// print file when nothing was written to it.
Outcome run_one(const Job& job) {
  Outcome outcome;
  outcome.done = true;
  std::error_code ec;
  const bool earlier_dif = file_there(job.dif) && fs::remove(record::file_path(job.dif), ec);
  std::string console_text;
  std::ostringstream errors;
  try {
    record::Writer console = record::Writer::to_string(&console_text);
    std::istringstream no_answers;
    outcome.status = driver::run_program({job.data, job.print, job.dif}, no_answers, console, errors);
    console.close();
  } catch (const std::bad_alloc&) {
    outcome.status = 2;
    errors << "out of memory\n";
  } catch (const std::exception& failure) {
    outcome.status = 2;
    errors << "internal error: " << failure.what() << '\n';
  }
  const bool failed = outcome.status != 0;
  std::istringstream lines(errors.str());
  std::string line;
  while (std::getline(lines, line)) {
    if (failed)
      add_part(outcome.trouble, cli::trimmed(line), ": ");
    else if (!cli::trimmed(line).empty())
      outcome.warnings.push_back(cli::trimmed(line));
  }
  std::istringstream console_lines(console_text);
  while (std::getline(console_lines, line)) {
    if (line.rfind(" ERROR-", 0) == 0 && failed) add_part(outcome.trouble, cli::trimmed(line), "; ");
    if (!failed && (line.rfind(" ERROR-", 0) == 0 || line.rfind(" WARNING-", 0) == 0))
      outcome.warnings.push_back(cli::trimmed(line));
  }
  if (failed) {
    if (outcome.trouble.empty()) outcome.trouble = "failed";
    if (file_there(job.dif)) fs::remove(record::file_path(job.dif), ec);
    if (file_there(job.print) && fs::file_size(record::file_path(job.print), ec) == 0)
      fs::remove(record::file_path(job.print), ec);
  } else if (earlier_dif && !file_there(job.dif)) {
    outcome.note = job.dif + " of an earlier run removed: this run writes no DIF file (no combined report)";
  }
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
  refuse_outputs_over_inputs(jobs, args.all("--list"));
  unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  if (auto jobs_option = args.one("--jobs")) threads = static_cast<unsigned>(parse_count("--jobs", *jobs_option, 1, 256));
  threads = static_cast<unsigned>(std::min<std::size_t>(threads, jobs.size()));
#ifdef _WIN32
  // On Windows the files run one after the other: two in-memory runs side
  // by side there have been seen to crash (under wine, about one run in
  // eight), which one at a time never did.
  threads = 1;
#endif

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
        try {
          outcomes[i] = run_one(jobs[i]);
        } catch (const std::bad_alloc&) {
          outcomes[i].done = true;
          outcomes[i].status = 2;
          outcomes[i].trouble = "out of memory";
        }
        const std::lock_guard<std::mutex> hold(progress_lock);
        progress.update(++finished, jobs.size());
      }
    };
    // A thread the system cannot start leaves the work to those that did.
    std::vector<std::thread> pool = cli::start_threads(threads > 1 ? threads - 1 : 0, [&work](unsigned) { work(); });
    work();
    for (std::thread& thread : pool) thread.join();
    progress.finish();
  }

  std::size_t failed = 0, not_run = 0, warned = 0;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    const Outcome& o = outcomes[i];
    if (!o.done) {
      ++not_run;
      continue;
    }
    if (o.status != 0) {
      ++failed;
      err << jobs[i].data << ": status " << o.status << ": " << o.trouble << '\n';
      continue;
    }
    if (!o.warnings.empty()) ++warned;
    for (const std::string& warning : o.warnings)
      err << jobs[i].data << ": " << (warning.rfind("warning", 0) == 0 ? "" : "warning: ") << warning << '\n';
    if (!o.note.empty()) err << jobs[i].data << ": note: " << o.note << '\n';
  }
  const std::size_t run = jobs.size() - not_run;
  out << run << (run == 1 ? " data file" : " data files") << " run into " << record::name_of(dir) << ": " << run - failed
      << " written";
  if (warned > 0) out << " (" << warned << " with warnings)";
  out << ", " << failed << " failed";
  if (not_run > 0) out << ", " << not_run << " not run (stopped)";
  out << ".\n";
  if (not_run > 0) return interrupted_status;
  return failed > 0 ? 2 : 0;
}

}  // namespace study
