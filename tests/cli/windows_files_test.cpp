// Windows: whether two names are one file, with drive letters, either
// slash and names that differ only in case.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/files.hpp"
#include "format/file_system.hpp"
#include "support/files.hpp"

namespace {

namespace fs = std::filesystem;

class WindowsSameFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = support::fresh_directory("brenlow-cli-windows-" + support::test_name());
    fs::create_directory(dir_ / "Sub");
    for (const char* name : {"LINE.DAT", "other.dat"}) support::write_file(dir_ / name, "data\n");
    previous_ = fs::current_path();
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(dir_);
  }
  // `name` in the test's folder, written with backslashes and its drive.
  std::string at(const std::string& name) const {
    return record::name_of((dir_ / record::file_path(name)).make_preferred());
  }
  // The same with forward slashes.
  std::string forward(const std::string& name) const { return (dir_ / name).generic_string(); }
  fs::path dir_, previous_;
};

TEST_F(WindowsSameFile, CaseAndSlashesDoNotMakeAnotherFile) {
  ASSERT_EQ(at("x").substr(1, 2), ":\\") << "a drive letter begins the name";
  const std::string drive = at("x").substr(0, 2);  // "C:"
  struct Case {
    std::string output, other;
    bool same;
  };
  const std::vector<Case> cases = {
      {"line.dat", "LINE.DAT", true},  // both exist: one file
      {at("line.dat"), "LINE.DAT", true},
      {forward("Line.Dat"), at("LINE.DAT"), true},
      {at("sub\\..\\line.dat"), "LINE.DAT", true},
      {drive + "line.dat", "LINE.DAT", true},  // the drive's current folder
      {"other.dat", "LINE.DAT", false},
      {"RUN.PRT", "run.prt", true},  // neither exists yet
      {at("SUB\\Run.Prt"), "sub/run.prt", true},
      {at("Sub\\run.prt"), "run.prt", false},
      {"run.prt", "LINE.DAT", false},  // one exists
      {"run.prt", "run.dif", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output + " / " + c.other);
    EXPECT_EQ(cli::same_file(c.output, c.other), c.same);
    EXPECT_EQ(cli::same_file(c.other, c.output), c.same);
  }
}

// The output names of a many-file run compare blind to case, and a file's
// key is the same under any case of its name.
TEST_F(WindowsSameFile, NamesAndKeysBlindToCase) {
  EXPECT_TRUE(cli::names_blind_to_case);
  EXPECT_EQ(cli::comparable_name("line", true), cli::comparable_name("LINE", true));
  EXPECT_NE(cli::comparable_name("line", true), cli::comparable_name("lines", true));
  EXPECT_EQ(cli::file_key("line.dat"), cli::file_key("LINE.DAT"));
  EXPECT_EQ(cli::file_key("run.prt"), cli::file_key("RUN.PRT"));
  EXPECT_NE(cli::file_key("other.dat"), cli::file_key("LINE.DAT"));
}

TEST_F(WindowsSameFile, NamesOutsideTheCodePage) {
  // l-i-n-e in Cyrillic, and an e acute; each exists as written.
  const std::string cyrillic = "\xD0\xBB\xD0\xB8\xD0\xBD\xD0\xB8\xD1\x8F.dat", accent = "ligne_\xC3\xA9.dat";
  for (const std::string& name : {cyrillic, accent}) support::write_file(record::file_path(name), "data\n");
  EXPECT_TRUE(cli::same_file(cyrillic, at(cyrillic)));
  EXPECT_TRUE(cli::same_file(accent, "LIGNE_\xC3\x89.DAT"));  // E acute: blind to case
  EXPECT_FALSE(cli::same_file(cyrillic, accent));
  EXPECT_TRUE(cli::same_file("\xD0\x9B.prt", "\xD0\xBB.PRT"));  // neither exists
}

}  // namespace
