#pragma once
// Shared helpers of the profile plotter tests.

#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "plot/profile.hpp"
#include "support/files.hpp"

namespace plot_test {

inline std::string data_path(const std::string& name) { return std::string(BRENLOW_TEST_DATA) + "/plot/" + name; }

inline plot::Profile read_text(const std::string& text, const std::string& name = "TEST.dif") {
  std::istringstream in(text);
  return plot::read_dif(in, name);
}

// A fresh, empty directory for one test of this process.
inline std::filesystem::path scratch_dir(const std::string& name) {
  return support::fresh_directory("brenlow-plot-" + std::to_string(::getpid()) + "-" + name);
}

}  // namespace plot_test
