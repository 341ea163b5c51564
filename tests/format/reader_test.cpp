// Formatted reads of one item and free-form value lists.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "format/record.hpp"

namespace {

using record::ReadError;
using record::Reader;

std::string read_error(Reader& in, auto&& statement) {
  try {
    statement(in);
  } catch (const ReadError& e) {
    return std::string(e.what()) + " @ " + e.where();
  }
  return "no error";
}

TEST(FormattedRead, Integers) {
  struct Case {
    const char* spec;
    const char* record;
    std::int16_t expected;
  };
  const Case cases[] = {
      {"(I1)", "", 0},       {"(I1)", "12", 1},      {"(I1)", " 5", 0},       {"(I4)", " 1 2", 12},
      {"(I4)", "-12", -12},  {"(I4)", "+7", 7},      {"(I8)", "   -32768", -3276},
      {"(I8)", "  -32768", -32768}, {"(I2)", "7\r", 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.spec) + " <" + c.record + ">");
    Reader in = Reader::from_string(std::string(c.record) + "\n", "T.DAT");
    std::int16_t value = 99;
    in.read(c.spec, &value);
    EXPECT_EQ(value, c.expected);
  }
  std::int32_t wide = 0;
  Reader in = Reader::from_string("  70000\n", "T.DAT");
  in.read("(I8)", &wide);
  EXPECT_EQ(wide, 70000);
}

TEST(FormattedRead, BadIntegers) {
  for (const char* rec : {"Y", "1-", "+", "-", "1.", "40000", "\t1", "1e2"}) {
    SCOPED_TRACE(rec);
    Reader in = Reader::from_string(std::string(rec) + "\r\n", "T.DAT");
    std::int16_t value = 0;
    EXPECT_EQ(read_error(in, [&](Reader& r) { r.read("(I8)", &value); }),
              "Bad value during integer read @ file T.DAT, record 1");
  }
}

TEST(FormattedRead, Reals) {
  struct Case {
    const char* spec;
    const char* record;
    float expected;
  };
  const Case cases[] = {
      {"(F8.0)", "", 0.0f},           {"(F8.0)", "12", 12.0f},        {"(F8.0)", "123456789", 12345678.0f},
      {"(F8.0)", "1 2 .5", 12.5f},    {"(F8.0)", "-.5", -0.5f},       {"(F8.0)", "1E3", 1000.0f},
      {"(F8.0)", "1.5d-1", 0.15f},    {"(F8.0)", "2.5+2", 250.0f},    {"(F8.0)", "2-1", 0.2f},
      {"(F8.2)", "1234", 12.34f},     {"(F8.2)", "12.5", 12.5f},      {"(F8.2)", "1234e1", 123.4f},
      {"(F10.0)", "1e-60", 0.0f},     {"(F10.0)", "1e-40", 1e-40f},   {"(F10.0)", "-0", -0.0f},     {"(F8.0)", "+0.1", 0.1f},       {"(1X,F8.0)", "x3.25", 3.25f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.spec) + " <" + c.record + ">");
    Reader in = Reader::from_string(std::string(c.record) + "\n", "T.DAT");
    float value = 99.0f;
    in.read(c.spec, &value);
    EXPECT_EQ(value, c.expected);
  }
}

TEST(FormattedRead, BadReals) {
  for (const char* rec : {"Y", "1..2", ".", "1E", "1E+", "--1", "1.0.", "1e50", "NaN", "Inf", "1,5"}) {
    SCOPED_TRACE(rec);
    Reader in = Reader::from_string(std::string(rec) + "\n", "T.DAT");
    float value = 0.0f;
    EXPECT_EQ(read_error(in, [&](Reader& r) { r.read("(F8.0)", &value); }),
              "Bad value during floating point read @ file T.DAT, record 1");
  }
}

TEST(FormattedRead, CharactersAndRecords) {
  Reader in = Reader::from_string("ALL\r\nTITLE ONE\nX\r\n", "T.DAT");
  std::array<char, 3> option{};
  std::array<char, 12> title{};
  std::array<char, 1> one{};
  in.read("(A3)", std::span<char>(option));
  in.read("(A12)", std::span<char>(title));
  EXPECT_EQ(std::string(option.data(), 3), "ALL");
  EXPECT_EQ(std::string(title.data(), 12), "TITLE ONE   ");
  in.read("(A1)", std::span<char>(one));
  EXPECT_EQ(one[0], 'X');
  EXPECT_EQ(read_error(in, [&](Reader& r) { r.read("(A1)", std::span<char>(one)); }),
            "End of file @ file T.DAT, record 4");
}

// A string item takes a field of any length: "(A)" the whole rest of the
// record, never cut; a width gives exactly that many characters.
TEST(FormattedRead, StringsOfAnyLength) {
  const std::string long_name = "/" + std::string(300, 'n') + "/line.dat";
  struct Case {
    const char* spec;
    std::string record, expected;
  };
  const std::vector<Case> cases = {
      {"(A)", "", ""},
      {"(A)", "line.dat", "line.dat"},
      {"(A)", "  two  blanks  ", "  two  blanks  "},  // kept as typed; callers trim
      {"(A)", long_name, long_name},
      {"(A)", "dos.dat\r", "dos.dat"},
      {"(A)", "tab\tand \xC4\xB3 bytes", "tab\tand \xC4\xB3 bytes"},
      {"(1X,A)", " skipped", "skipped"},
      {"(3X,A)", "ab", ""},
      {"(A5)", "abc", "abc  "},
      {"(A5)", "abcdefgh", "abcde"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.spec) + " <" + c.record.substr(0, 40) + ">");
    Reader in = Reader::from_string(c.record + "\nnext\n", "T.DAT");
    std::string value = "old";
    in.read(c.spec, &value);
    EXPECT_EQ(value, c.expected);
    in.read("(A)", &value);
    EXPECT_EQ(value, "next");  // one record per read
  }
  std::string value;
  const std::string long_word(300, 'w');  // a slash would end the list
  Reader in = Reader::from_string("x 'quoted, with comma' " + long_word + "\n", "T.DAT");
  std::string quoted, whole;
  ASSERT_TRUE(in.read_list({&value, &quoted, &whole}));
  EXPECT_EQ(value, "x");
  EXPECT_EQ(quoted, "quoted, with comma");
  EXPECT_EQ(whole, long_word);
  EXPECT_EQ(read_error(in, [&](Reader& r) { r.read("(A)", &value); }), "End of file @ file T.DAT, record 2");
  std::int16_t number = 0;
  Reader numbers = Reader::from_string("12\n", "T.DAT");
  EXPECT_THROW(numbers.read("(A)", &number), std::invalid_argument);
}

TEST(FormattedRead, ConsoleFlushesPromptsAndLocatesItself) {
  std::string shown;
  record::Writer out = record::Writer::to_string(&shown);
  std::istringstream answers("3\nZ\n");
  Reader in = Reader::console(answers, &out);
  out.prompt("(' Enter a number: ')");
  std::int16_t value = 0;
  in.read("(I1)", &value);
  EXPECT_EQ(value, 3);
  EXPECT_EQ(shown, " Enter a number: ");
  EXPECT_EQ(read_error(in, [&](Reader& r) { r.read("(I1)", &value); }), "Bad value during integer read @ console");
  EXPECT_EQ(read_error(in, [&](Reader& r) { r.read("(I1)", &value); }), "End of file @ console");
}

}  // namespace
