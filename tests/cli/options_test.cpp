// The option scanner: files and options in the order given, values after
// '=' or in the next word, "--" ending the options, and the words refused.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/options.hpp"

namespace {

// The items as one line: files bare, options as name=value or name alone.
std::string scanned(const std::vector<std::string>& args) {
  std::string out;
  for (const cli::Item& item : cli::scan(args, {"-o", "--title", "--both"}, {"--feet", "--both"})) {
    out += out.empty() ? "" : " ";
    out += item.file ? "file:" + item.name : item.name + (item.value.empty() ? "" : "=" + item.value);
  }
  return out;
}

TEST(Scanner, FilesAndOptionsInOrder) {
  struct Case {
    std::vector<std::string> args;
    std::string items;
  };
  const std::vector<Case> cases = {
      {{}, ""},
      {{"a.dif", "b.dif"}, "file:a.dif file:b.dif"},
      {{"-", ""}, "file:- file:"},  // "-" and "" are names, not options
      {{"-o", "x.svg", "a.dif"}, "-o=x.svg file:a.dif"},
      {{"--title=A=B", "--title", "--feet"}, "--title=A=B --title=--feet"},  // the next word whatever it is
      {{"--title="}, "--title"},                                              // an empty value is a value
      {{"--feet", "a", "--feet"}, "--feet file:a --feet"},
      {{"--both", "--both=1"}, "--both --both=1"},  // a flag alone, a value after '='
      {{"--", "-o", "--feet", "--"}, "file:-o file:--feet file:--"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    EXPECT_EQ(scanned(c.args), c.items);
  }
}

TEST(Scanner, RefusedWords) {
  using Kind = cli::UsageError::Kind;
  struct Case {
    std::vector<std::string> args;
    Kind kind;
    std::string option, word, message;
  };
  const std::vector<Case> cases = {
      {{"a", "--bogus"}, Kind::unknown_option, "--bogus", "--bogus", "unknown option --bogus"},
      {{"--bogus=3"}, Kind::unknown_option, "--bogus", "--bogus=3", "unknown option --bogus"},
      {{"--feet=yes"}, Kind::unknown_option, "--feet", "--feet=yes", "unknown option --feet"},
      {{"-o=x"}, Kind::unknown_option, "-o=x", "-o=x", "unknown option -o=x"},  // '=' splits long options only
      {{"-x"}, Kind::unknown_option, "-x", "-x", "unknown option -x"},
      {{"a", "-o"}, Kind::missing_value, "-o", "-o", "-o needs a value"},
      {{"--title"}, Kind::missing_value, "--title", "--title", "--title needs a value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    try {
      scanned(c.args);
      ADD_FAILURE() << "not refused";
    } catch (const cli::UsageError& e) {
      EXPECT_EQ(e.kind, c.kind);
      EXPECT_EQ(e.option, c.option);
      EXPECT_EQ(e.word, c.word);
      EXPECT_EQ(e.what(), c.message);
    }
  }
}

// A caller reading item by item meets a refused word only when it gets
// there, after the items before it.
TEST(Scanner, RefusesWhereTheWordStands) {
  cli::Scanner scanner({"a", "--bogus", "b"}, {}, {});
  ASSERT_TRUE(scanner.next().has_value());
  EXPECT_THROW(scanner.next(), cli::UsageError);
}

}  // namespace
