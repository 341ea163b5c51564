#pragma once
// tesk31-study run as a shell runs it, in a fresh folder of the test's own
// that holds line.dat (a 345 kV double circuit in feet) and is removed when
// the test program ends.

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "support/files.hpp"
#include "support/program.hpp"

namespace study_test {

// The folders scratch() made, removed with all they hold when the test
// program ends (each test runs in a program of its own).
class Scratches {
 public:
  ~Scratches() {
    std::error_code ec;
    for (const std::filesystem::path& dir : made_) std::filesystem::remove_all(dir, ec);
  }
  void add(const std::filesystem::path& dir) { made_.push_back(dir); }

 private:
  std::vector<std::filesystem::path> made_;
};

inline std::filesystem::path scratch() {
  namespace fs = std::filesystem;
  static Scratches scratches;
  // One folder, not two: a parameterised test's name holds a slash.
  std::string name = support::test_name();
  std::replace(name.begin(), name.end(), '/', '-');
  const fs::path dir = support::fresh_directory("brenlow-study-" + std::to_string(::getpid()) + "-" + name);
  scratches.add(dir);
  fs::copy_file(std::string(BRENLOW_TEST_DATA) + "/study/peer_case_a.dat", dir / "line.dat");
  fs::permissions(dir / "line.dat", fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
  return dir;
}

inline support::Finished study(const std::filesystem::path& dir, const std::string& args) {
  return support::run_program(dir, TESK31_STUDY_PATH, args);
}

}  // namespace study_test
