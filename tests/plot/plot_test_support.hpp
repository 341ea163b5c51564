#pragma once
// Shared helpers of the profile plotter tests.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "plot/profile.hpp"

namespace plot_test {

inline std::string data_path(const std::string& name) { return std::string(BRENLOW_TEST_DATA) + "/plot/" + name; }

inline std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline plot::Profile read_text(const std::string& text, const std::string& name = "TEST.dif") {
  std::istringstream in(text);
  return plot::read_dif(in, name);
}

// A fresh, empty directory for one test of this process.
inline std::filesystem::path scratch_dir(const std::string& name) {
  auto dir = std::filesystem::temp_directory_path() /
             ("brenlow-plot-" + std::to_string(::getpid()) + "-" + name);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

}  // namespace plot_test
