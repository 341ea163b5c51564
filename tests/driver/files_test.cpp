// Output files of a run: file identity, so that no output is written over
// the data being read; files that cannot be created.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "driver/run_files.hpp"

namespace {

namespace fs = std::filesystem;

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("brenlow-files-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                        "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "sub");
    std::ofstream(dir_ / "line.dat") << "data\n";
    std::ofstream(dir_ / "other.dat") << "data\n";
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string at(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

TEST_F(Files, SameFileByIdentity) {
  fs::create_hard_link(at("line.dat"), at("hard.dat"));
  fs::create_symlink(at("line.dat"), at("soft.dat"));
  struct Case {
    std::string output, other;
    bool same;
  };
  const std::vector<Case> cases = {
      {at("line.dat"), at("line.dat"), true},
      {at("sub/../line.dat"), at("line.dat"), true},
      {at("hard.dat"), at("line.dat"), true},
      {at("soft.dat"), at("line.dat"), true},
      {at("other.dat"), at("line.dat"), false},
      {at("new.prt"), at("line.dat"), false},
      {at("new.prt"), at("sub/../new.prt"), true},  // neither exists yet: same place
      {"brenlow-not-made.prt", "./brenlow-not-made.prt", true},  // relative, neither exists
      {"NUL", "NUL", false},
      {"PRN", "PRN", false},
      {"", at("line.dat"), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output + " / " + c.other);
    EXPECT_EQ(driver::same_file(c.output, c.other), c.same);
  }
}

// Names of 200 characters and more, absolute and relative, direct and
// through a link to a folder, tell the same file as short ones do.
TEST_F(Files, SameFileByIdentityForLongNames) {
  const std::string a(100, 'a'), b(100, 'b');
  const fs::path deep = dir_ / a / b;
  fs::create_directories(deep);
  std::ofstream(deep / "line.dat") << "data\n";
  fs::create_directory_symlink(deep, dir_ / (std::string(120, 'l')));
  const auto relative = [](const fs::path& path) { return fs::relative(path).string(); };
  struct Case {
    std::string output, other;
    bool same;
  };
  const std::vector<Case> cases = {
      {(deep / "line.dat").string(), (deep / "line.dat").string(), true},
      {(deep / ".." / b / "line.dat").string(), (deep / "line.dat").string(), true},
      {relative(deep / "line.dat"), (deep / "line.dat").string(), true},
      {(dir_ / std::string(120, 'l') / "line.dat").string(), relative(deep / "line.dat"), true},
      {(deep / "new.prt").string(), (dir_ / std::string(120, 'l') / "new.prt").string(), true},
      {(deep / "new.prt").string(), (deep / "line.dat").string(), false},
      {(deep / "line.dat").string(), at("line.dat"), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output + " / " + c.other);
    ASSERT_GT(std::max(c.output.size(), c.other.size()), 200u);
    EXPECT_EQ(driver::same_file(c.output, c.other), c.same);
  }
}

// A name the system cannot take is refused before anything is opened, with
// the file and the reason; any name it takes passes, however long.
TEST_F(Files, NamesTheSystemCannotTakeAreRefused) {
  const long name_max = ::pathconf(dir_.c_str(), _PC_NAME_MAX);
  const long path_max = ::pathconf(dir_.c_str(), _PC_PATH_MAX);
  const std::string too_long_part(name_max > 0 ? static_cast<std::size_t>(name_max) + 1 : 300, 'p');
  std::string too_long_path;
  while (too_long_path.size() <= static_cast<std::size_t>(path_max > 0 ? path_max : 4096)) too_long_path += "d/";
  struct Case {
    std::string name;
    std::string message;  // empty: taken
  };
  const std::vector<Case> cases = {
      {at("line.dat"), ""},
      {at(std::string(200, 'q') + "/" + std::string(200, 'r') + "/missing.prt"), ""},
      {"NUL", ""},
      {"", ""},
      {at(too_long_part), at(too_long_part) + ": File name too long"},
      {too_long_path + "x.prt", too_long_path + "x.prt: File name too long"},
      {std::string("out.prt\0other", 13), "out.prt\\0other: a file name cannot hold a NUL byte"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name.substr(0, 80));
    try {
      driver::refuse_unusable_name(FileName(c.name));
      EXPECT_EQ(c.message, "");
    } catch (const record::FileError& refused) {
      EXPECT_EQ(refused.what(), c.message);
    }
  }
}

TEST_F(Files, RefusalNamesBothFiles) {
  try {
    driver::refuse_same_file("print file", FileName(at("sub/../line.dat")), "input data file", FileName(at("line.dat")));
    FAIL() << "not refused";
  } catch (const driver::RunRefused& refused) {
    const std::string message = refused.what();
    EXPECT_NE(message.find("print file \"" + at("sub/../line.dat") + "\""), std::string::npos) << message;
    EXPECT_NE(message.find("input data file \"" + at("line.dat") + "\""), std::string::npos) << message;
  }
  EXPECT_NO_THROW(
      driver::refuse_same_file("print file", FileName(at("new.prt")), "input data file", FileName(at("line.dat"))));
}

}  // namespace
