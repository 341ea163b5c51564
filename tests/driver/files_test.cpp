// Output files of a run: file identity, so that no output is written over
// the data being read; files that cannot be created.

#include <gtest/gtest.h>

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

TEST_F(Files, RefusalNamesBothFiles) {
  try {
    driver::refuse_same_file("print file", FixedString<72>(at("sub/../line.dat")), "input data file",
                             FixedString<72>(at("line.dat")));
    FAIL() << "not refused";
  } catch (const driver::RunRefused& refused) {
    const std::string message = refused.what();
    EXPECT_NE(message.find("print file \"" + at("sub/../line.dat") + "\""), std::string::npos) << message;
    EXPECT_NE(message.find("input data file \"" + at("line.dat") + "\""), std::string::npos) << message;
  }
  EXPECT_NO_THROW(driver::refuse_same_file("print file", FixedString<72>(at("new.prt")), "input data file",
                                           FixedString<72>(at("line.dat"))));
}

}  // namespace
