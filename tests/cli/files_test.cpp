// Whether two names are one file: by identity when both exist, by the
// resolved path when either is still to be made.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "cli/files.hpp"
#include "support/files.hpp"

namespace {

namespace fs = std::filesystem;

// A directory with line.dat, other.dat and sub/.
class SameFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = support::fresh_directory("brenlow-cli-" + std::to_string(::getpid()) + "-" + support::test_name());
    fs::create_directory(dir_ / "sub");
    for (const char* name : {"line.dat", "other.dat"}) support::write_file(dir_ / name, "data\n");
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string at(const std::string& name) const { return (dir_ / name).string(); }
  fs::path dir_;
};

TEST_F(SameFile, ByIdentity) {
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
      {"NUL", "NUL", true},  // an ordinary name here; tesk31's devices are the driver's affair
      {"", at("line.dat"), false},
      {"", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output + " / " + c.other);
    EXPECT_EQ(cli::same_file(c.output, c.other), c.same);
  }
}

// Names of 200 characters and more, absolute and relative, direct and
// through a link to a folder, tell the same file as short ones do.
TEST_F(SameFile, ByIdentityForLongNames) {
  const std::string a(100, 'a'), b(100, 'b');
  const fs::path deep = dir_ / a / b;
  fs::create_directories(deep);
  support::write_file(deep / "line.dat", "data\n");
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
    EXPECT_EQ(cli::same_file(c.output, c.other), c.same);
  }
}

// A link whose target is not made yet: a file written under the link's name
// is made at the target, so the link and the target's name are one file.
TEST_F(SameFile, ThroughLinksToFilesNotMadeYet) {
  fs::create_symlink("new.dat", at("dangling.dat"));                 // relative target
  fs::create_symlink(at("sub/new.dat"), at("absolute.dat"));         // absolute target
  fs::create_symlink("dangling.dat", at("chain.dat"));               // a link to a dangling link
  fs::create_symlink("../new.dat", at("sub/up.dat"));                // target beside the link's folder
  fs::create_directory_symlink(at("sub"), at("folder"));             // a linked folder on the way
  fs::create_symlink("loop-b.dat", at("loop-a.dat"));                // links that go round
  fs::create_symlink("loop-a.dat", at("loop-b.dat"));
  struct Case {
    std::string output, other;
    bool same;
  };
  const std::vector<Case> cases = {
      {at("dangling.dat"), at("new.dat"), true},
      {at("new.dat"), at("dangling.dat"), true},
      {at("absolute.dat"), at("sub/new.dat"), true},
      {at("absolute.dat"), at("folder/new.dat"), true},
      {at("absolute.dat"), at("new.dat"), false},
      {at("chain.dat"), at("new.dat"), true},
      {at("chain.dat"), at("dangling.dat"), true},
      {at("sub/up.dat"), at("new.dat"), true},
      {at("folder/up.dat"), at("dangling.dat"), true},
      {at("dangling.dat"), at("line.dat"), false},
      {at("loop-a.dat"), at("new.dat"), false},
      {at("loop-a.dat"), at("loop-a.dat"), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output + " / " + c.other);
    EXPECT_EQ(cli::same_file(c.output, c.other), c.same);
  }
}

// Names compared blind to case where the system's names are (Windows):
// the output names of many-file runs. file_key agrees with same_file.
TEST_F(SameFile, NamesAndKeys) {
  struct Name {
    std::string a, b;
    bool case_blind, same;
  };
  for (const Name& c : std::vector<Name>{{"line", "LINE", true, true},
                                         {"line", "LINE", false, false},
                                         {"Line-2_b", "lINE-2_B", true, true},
                                         {"line", "line", false, true},
                                         {"line", "lines", true, false},
                                         {"", "", true, true}}) {
    SCOPED_TRACE(c.a + " / " + c.b);
    EXPECT_EQ(cli::comparable_name(c.a, c.case_blind) == cli::comparable_name(c.b, c.case_blind), c.same);
  }
  fs::create_hard_link(at("line.dat"), at("hard.dat"));
  fs::create_symlink("line.dat", at("soft.dat"));
  const std::vector<std::string> names = {at("line.dat"), at("hard.dat"), at("soft.dat"), at("other.dat"),
                                          at("new.prt"),  at("sub/../new.prt"), ""};
  for (const std::string& a : names)
    for (const std::string& b : names) {
      SCOPED_TRACE(a + " / " + b);
      EXPECT_EQ(cli::same_file(a, b), !a.empty() && cli::file_key(a) == cli::file_key(b));
    }
  EXPECT_EQ(cli::file_key(""), "");
}

}  // namespace
