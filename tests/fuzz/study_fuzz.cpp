// Fuzz target: tesk31-study's command lines, every subcommand, its options
// and their numbers. The input is the arguments, one a line. They run in a
// folder of the target's own holding a.dat (metres) and b.dat (feet), both
// with wind, so that every value at every point is a number; a word holding
// '/' is not tried, so no file outside that folder is ever named. Whatever
// the arguments, the command ends with its tables and files (status 0 or
// 1: no value printed or written that is not a number, every picture
// well-formed XML with finite coordinates) or with a message (status 2);
// it never crashes. The files a run writes are removed before the next;
// run's --list - reads an empty standard input.
// Run the fuzzer with an absolute -artifact_prefix: a finding stops it
// while the working folder is the target's own.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "engine/engine.hpp"
#include "fuzz/fuzz_support.hpp"
#include "study/command.hpp"
#include "support/xml_check.hpp"

namespace {

namespace fs = std::filesystem;

const char* const inputs[] = {"a.dat", "b.dat"};

std::string read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The folder the runs happen in, made once and removed at exit.
struct Folder {
  fs::path dir;
  std::string texts[2];
  Folder() {
    std::string name = (fs::temp_directory_path() / "brenlow-fuzz-study-XXXXXX").string();
    if (::mkdtemp(name.data()) == nullptr) fuzz::fail("cannot make the fuzz folder");
    dir = name;
    brenlow::CrossSection metric = brenlow::read_data_file(BRENLOW_EXAMPLES "/345kv_double_circuit.dat");
    brenlow::CrossSection english = brenlow::read_data_file(BRENLOW_TEST_DATA "/study/peer_case_a.dat");
    english.conditions.wind = 0.9f;
    brenlow::write_data_file(metric, (dir / inputs[0]).string());
    brenlow::write_data_file(english, (dir / inputs[1]).string());
    for (int i = 0; i < 2; ++i) texts[i] = read(dir / inputs[i]);
  }
  ~Folder() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

// In the folder while the command runs, back where the fuzzer keeps its
// corpus after it; standard input empty meanwhile, whatever the fuzzer's is.
class Inside {
 public:
  explicit Inside(const fs::path& dir) : back_(fs::current_path()), input_(std::cin.rdbuf(empty_.rdbuf())) {
    fs::current_path(dir);
  }
  ~Inside() {
    std::cin.rdbuf(input_);
    std::cin.clear();
    fs::current_path(back_);
  }
  Inside(const Inside&) = delete;
  Inside& operator=(const Inside&) = delete;

 private:
  fs::path back_;
  std::istringstream empty_;
  std::streambuf* input_;
};

bool is_input(const std::string& name) { return name == inputs[0] || name == inputs[1]; }

// A table's word or CSV field that is no number where a number stands. A
// CSV field may be NaN: a map's grid point on a conductor's centre, which
// the table shows as "-".
bool not_a_number(std::string_view word) {
  for (std::string_view bad : {"nan", "-nan", "inf", "-inf", "Infinity", "-Infinity"})
    if (word == bad) return true;
  return false;
}

void check_table(const std::string& out) {
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("wrote ", 0) == 0 || line.rfind("-o ", 0) == 0) continue;  // names the user chose
    std::istringstream words(line);
    for (std::string w; words >> w;) fuzz::check(!not_a_number(w), "a value printed is not a number:", line);
  }
}

void check_written(const std::string& name, const std::string& text) {
  if (text.rfind("<?xml", 0) == 0) {
    const std::string problem = support::xml_problem(text);
    fuzz::check(problem.empty(), "picture is not well-formed:", problem);
    return;
  }
  if (text.find("\r\n") == std::string::npos || text.find(',') > text.find("\r\n")) return;  // not a table
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of(",\r", start);
    if (end == std::string::npos) end = text.size();
    fuzz::check(!not_a_number(std::string_view(text).substr(start, end - start)), "a value written is not a number:",
                name);
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Folder folder;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> args;
  for (std::string_view rest = input; !rest.empty();) {
    const std::size_t end = rest.find('\n');
    args.emplace_back(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  if (args.size() > 40) return 0;
  for (const std::string& arg : args)
    if (arg.find('/') != std::string::npos || arg.find('\0') != std::string::npos) return 0;

  std::ostringstream out, err;
  int status = 0;
  {
    const Inside inside(folder.dir);
    status = study::run_command(args, out, err);
  }
  fuzz::check(status == 0 || status == 1 || status == 2, "study ended with an unexpected status");
  if (status == 2) fuzz::check(!err.str().empty(), "study failed without a message");
  if (status != 2) check_table(out.str());

  // What the run wrote: checked when it succeeded, removed in any case.
  std::vector<fs::path> written;
  for (const auto& entry : fs::directory_iterator(folder.dir))
    if (!is_input(entry.path().filename().string())) written.push_back(entry.path());
  for (const fs::path& path : written) {
    if (status != 2 && fs::is_regular_file(path)) check_written(path.filename().string(), read(path));
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  for (int i = 0; i < 2; ++i) fuzz::check(read(folder.dir / inputs[i]) == folder.texts[i], "an input was overwritten:", inputs[i]);
  return 0;
}
