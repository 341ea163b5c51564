// Lines trimmed of their blanks at both ends, never inside.

#include <gtest/gtest.h>

#include <string>

#include "cli/text.hpp"

namespace {

TEST(Trimmed, TakesTheBlanksAtBothEndsOnly) {
  const struct {
    std::string text, expected;
  } cases[] = {
      {"", ""},
      {"   ", ""},
      {" \t\r\n", ""},
      {"x", "x"},
      {"  500 KV LINE  ", "500 KV LINE"},
      {" ERROR-12 NO DATA\r", "ERROR-12 NO DATA"},
      {"\tAC \t", "AC"},
      {"a  b", "a  b"},
      {std::string("\xE9t\xE9 ", 4), "\xE9t\xE9"},
      {std::string(" a\0b ", 5), std::string("a\0b", 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(cli::trimmed(c.text), c.expected) << '"' << c.text << '"';
}

}  // namespace
