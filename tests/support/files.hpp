#pragma once
// Files of the tests: whole files read back, and fresh directories to run in.

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>
#include <fstream>
#include <sstream>
#include <string>

namespace support {

// The bytes of a file; empty when it cannot be read.
inline std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void write_file(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A fresh, empty directory `name` in the temporary directory.
inline std::filesystem::path fresh_directory(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / name;
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

// A fresh directory removed with all it holds when this goes out of scope,
// however the test leaves (a failed ASSERT returns early).
class ScratchDirectory {
 public:
  explicit ScratchDirectory(const std::string& name) : path_(fresh_directory(name)) {}
  ~ScratchDirectory() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The name of the running test, to tell its directory from the others.
// The running test's name as one part of a file name: a parameterised
// test's "Name/Case" with its slash made a dash, so that removing the
// folder named after it removes all of it.
inline std::string test_name() {
  std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  for (char& c : name)
    if (c == '/' || c == '\\') c = '-';
  return name;
}

}  // namespace support
